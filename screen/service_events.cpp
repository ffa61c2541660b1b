// The service list's events: ranges follow the current service, a new
// service is checked against the server before it is kept, a stored one
// leads into its first range, and the editing state switches the code
// column, the range grid and the header.
#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"
#include "toolkit/data/Abort.h"

void TfrmPropPass::cdsPropServicoBeforeInsert(toolkit::DataSet& /*dataSet*/) {
  // A service without ranges is finished first: its first range instead.
  if (cdsQtdePropServico->IsEmpty() && !cdsPropServico->IsEmpty()) {
    cdsQtdePropServico->Insert();
    toolkit::Abort();
  }
}

void TfrmPropPass::cdsPropServicoAfterInsert(toolkit::DataSet& /*dataSet*/) { cdsPropServicoCDSERVICO->FocusControl(); }

void TfrmPropPass::cdsPropServicoBeforePost(toolkit::DataSet& /*dataSet*/) {
  Vd_CdServico(true);
  OnHeaderFlight();
  LoadAnswer(*cdsValidaServ, server::GetValidaServ(*netPropPass, cdsPropServicoCDSERVICO->AsString(),
                                                   qryFilialCDFILIAL->AsString(), cdsCompanhiaCDCIA->AsString(),
                                                   cdsCompanhiaNRVOO->AsString(), cdsCompanhiaCDTRECHO->AsString()));
  if (!cdsValidaServ->IsEmpty()) {
    cdsPropServicoCDSERVICO->FocusControl();
    framework::MensErro(msgPadrao->Msg("SERV_INV"));
  }
}

void TfrmPropPass::cdsPropServicoAfterPost(toolkit::DataSet& /*dataSet*/) {
  if (dtsQtdePropServico->State() == toolkit::DataSetState::dsBrowse) dbgQtdePropServico->SetFocus();
  // Stored by its first range's post: that range is the one being entered.
  if (postingServiceOfRange_) return;
  cdsQtdePropServico->Insert();
}

void TfrmPropPass::cdsPropServicoAfterCancel(toolkit::DataSet& /*dataSet*/) { cdsPropServico->CancelUpdates(); }

void TfrmPropPass::cdsPropServicoBeforeScroll(toolkit::DataSet& /*dataSet*/) { LeaveRangeBeforeServiceMove(); }

void TfrmPropPass::cdsPropServicoAfterScroll(toolkit::DataSet& /*dataSet*/) { LoadServiceRanges(); }

void TfrmPropPass::LoadServiceRanges() {
  try {
    LoadAnswer(*cdsQtdePropServico,
               server::GetQtdePropServico(*netPropPass, qryFilialCDFILIAL->AsString(),
                                          cdsCompanhiaCDCIA->AsString(), cdsPropServicoCDSERVICO->AsString(),
                                          cdsPropServicoCDCLASSE->AsString(), cdsPropServicoCDCICLO->AsString(),
                                          medNrVoo->Text(), SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")));
  } catch (...) {
    // The previous service's ranges must never stand under this one.
    if (cdsQtdePropServico->Active() && cdsQtdePropServico->State() == toolkit::DataSetState::dsBrowse)
      cdsQtdePropServico->EmptyDataSet();
    throw;
  }
}

void TfrmPropPass::cdsPropServicoCDSERVICOChange(toolkit::Field& sender) {
  if (cdsPropServico->State() == toolkit::DataSetState::dsInsert && framework::EmptyString(sender.AsString()))
    cdsPropServicoNMPRODUTO->SetAsString("");
}

void TfrmPropPass::dtsPadraoStateChange(toolkit::DataSource& sender) {
  TfrmPadraoGrid::dtsPadraoStateChange(sender);
  // Range changes whose save failed can be dropped from either grid.
  if (UnsentRangeChanges()) {
    sbtCancelar->SetEnabled(true);
    mnuCancelar->SetEnabled(true);
  }
  ApplyCodeColumnRule();
  dbgQtdePropServico->SetEnabled(!cdsPropServico->IsEmpty());
  const toolkit::DataSetState state = dtsPadrao->State();
  framework::SetChildEnabled(*panPlaVooCia,
                             state == toolkit::DataSetState::dsBrowse || state == toolkit::DataSetState::dsInactive);
}
