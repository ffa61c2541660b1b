// Entering and leaving the header: while the focus is inside, the grids
// show the context as typed; leaving it validates the whole context and
// loads its services and ranges.
#include "framework/Helpers.h"
#include "framework/ServerAnswer.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

void TfrmPropPass::panPlaVooCiaEnter(toolkit::Control& /*sender*/) {
  // The record navigator moves the service list, which belongs to the
  // context being edited; entering the data area gives it back.
  dbnPadrao->SetEnabled(false);
  LoadRanges();
  cdsPropServico->SetData(framework::CheckResultServ(
      server::GetPropServico(*netPropPass, edtfilial->Text(), medSgCia->Text(), medNrVoo->Text(),
                             SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")),
      true, 0));
  // After the loads, whose state changes would enable them again.
  sbtIncluir->SetEnabled(false);
  mnuIncluir->SetEnabled(false);
}

void TfrmPropPass::panPlaVooCiaExit(toolkit::Control& /*sender*/) {
  Vd_Filial(true);
  Vd_Companhia(true, "CIA");
  const std::string airline = cdsCompanhiaCDCIA->AsString();
  qryServicoCiaPesq->Close();
  qryServicoCiaPesq->ParamByName("CDCIA").SetAsString(airline);
  qryServicoCiaPesq->ParamByName("TODOS").SetAsString("T");
  qryServicoCiaPesq->Open();
  const std::string branch = qryFilialCDFILIAL->AsString();
  cdsPropServico->SetData(framework::CheckResultServ(
      server::GetPropServico(*netPropPass, branch, airline, medNrVoo->Text(),
                             SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")),
      true, 0));
  cdsQtdePropServico->SetData(framework::CheckResultServ(
      server::GetQtdePropServico(*netPropPass, branch, airline, cdsPropServicoCDSERVICO->AsString(),
                                 cdsPropServicoCDCLASSE->AsString(), cdsPropServicoCDCICLO->AsString(),
                                 medNrVoo->Text(), SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")),
      true, 0));
}

void TfrmPropPass::scbFolhaDadosEnter(toolkit::Control& /*sender*/) { dbnPadrao->SetEnabled(true); }
