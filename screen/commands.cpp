// Include, alter, confirm and verify, on the list whose grid is in use:
// the ranges when the range grid has the focus, else the services.
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

void TfrmPropPass::sbtIncluirClick(toolkit::Control& /*sender*/) {
  if (ActiveControl() == dbgQtdePropServico) {
    if (dtsQtdePropServico->State() == toolkit::DataSetState::dsBrowse) cdsQtdePropServico->Insert();
    return;
  }
  if (dtsPadrao->State() != toolkit::DataSetState::dsBrowse) return;
  // A service without ranges turns this into its first range, silently.
  dtsPadrao->DataSet()->Insert();
  cdsPropServicoCDARVPROD->FocusControl();
}

void TfrmPropPass::sbtAlterarClick(toolkit::Control& /*sender*/) {
  cdsQtdePropServicoQTSERVICO->FocusControl();
  if (dtsQtdePropServico->State() == toolkit::DataSetState::dsBrowse) cdsQtdePropServico->Edit();
  HabilitaBotoes();
}

void TfrmPropPass::sbtConfirmarClick(toolkit::Control& sender) {
  const bool pending = toolkit::InEditMode(dtsQtdePropServico->State());
  // A change whose save failed is still in the log: Confirmar sends it again.
  if (!pending && !toolkit::InEditMode(cdsPropServico->State()) && UnsentRangeChanges()) return SaveRangesAndReturn();
  if (pending && ActiveControl() && ActiveControl()->Name() == "dbgQtdePropServico") cdsQtdePropServico->Post();
  TfrmPadraoGrid::sbtConfirmarClick(sender);
}

void TfrmPropPass::sbtVerificarClick(toolkit::Control& /*sender*/) {
  SettlePendingSave();
  ReloadServices();
  LoadAnswer(*cdsQtdePropServico,
             server::GetQtdePropServico(*netPropPass, qryFilialCDFILIAL->AsString(), cdsCompanhiaCDCIA->AsString(),
                                        cdsPropServicoCDSERVICO->AsString(), cdsPropServicoCDCLASSE->AsString(),
                                        cdsPropServicoCDCICLO->AsString(), medNrVoo->Text(),
                                        SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")));
}
