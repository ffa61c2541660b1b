// Entering and leaving the header: while the focus is inside, the grids
// show the context as typed; leaving it validates the whole context and
// loads its services and ranges.
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

void TfrmPropPass::panPlaVooCiaEnter(toolkit::Control& /*sender*/) {
  // The record navigator moves the service list, which belongs to the
  // context being edited; entering the data area gives it back.
  dbnPadrao->SetEnabled(false);
  // Opened without a connection: the failure was just shown, and the
  // opening must not fail on it a second time.
  if (!connectFailed_) {
    LoadRanges();
    LoadAnswer(*cdsPropServico,
               server::GetPropServico(*netPropPass, edtfilial->Text(), medSgCia->Text(), medNrVoo->Text(),
                                      SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")));
    GridsShowHeader();
  }
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
  const std::string leg = SelecionaTrecho(cbbTrecho->ItemIndex(), "COD");
  LoadAnswer(*cdsPropServico, server::GetPropServico(*netPropPass, branch, airline, medNrVoo->Text(), leg));
  LoadAnswer(*cdsQtdePropServico,
             server::GetQtdePropServico(*netPropPass, branch, airline, cdsPropServicoCDSERVICO->AsString(),
                                        cdsPropServicoCDCLASSE->AsString(), cdsPropServicoCDCICLO->AsString(),
                                        medNrVoo->Text(), leg));
  GridsShowHeader();
  connectFailed_ = false;  // the server answers again
}

void TfrmPropPass::scbFolhaDadosEnter(toolkit::Control& /*sender*/) { dbnPadrao->SetEnabled(true); }
