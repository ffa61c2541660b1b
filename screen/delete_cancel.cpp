// Delete and cancel, on the grid in use. A service exists only through its
// ranges: deleting it deletes them, and the list is always read back from
// the server afterwards.
#include "framework/Helpers.h"
#include "framework/LocalCache.h"
#include "screen/Cli_ate11600.h"

bool TfrmPropPass::Confirmed(const framework::TMessages& messages, const char* key) {
  return messages.ShowMsg(key, framework::mtConfirmation, framework::mbYes | framework::mbNo, 0) == toolkit::mrYes;
}

void TfrmPropPass::sbtExcluirClick(toolkit::Control& /*sender*/) {
  const std::string active = ActiveControlName();
  if (active == "DBGPADRAO")
    DeleteService();
  else if (active == "DBGQTDEPROPSERVICO")
    DeleteRange();
  cdsPropServicoCDARVPROD->FocusControl();
}

void TfrmPropPass::DeleteService() {
  cdsQtdePropServico->First();
  if (Confirmed(*msgPadrao, "Excl_Serv_All"))
    while (!cdsQtdePropServico->IsEmpty()) cdsQtdePropServico->Delete();
  SendRangeChanges();
  ReloadServices();
}

void TfrmPropPass::DeleteRange() {
  if (Confirmed(*msgMensagensPadroes, "Excl")) cdsQtdePropServico->Delete();
  if (SendRangeChanges()) framework::AtualizaLocalCache({"PROPSERVICO"});
  const std::string service = cdsPropServicoCDSERVICO->AsString();
  ReloadServices();
  cdsPropServico->Locate("CDSERVICO", toolkit::Variant(service), toolkit::loCaseInsensitive);
}

void TfrmPropPass::sbtCancelarClick(toolkit::Control& /*sender*/) {
  const std::vector<toolkit::Variant> service = CurrentServiceKey();
  if (!Confirmed(*msgMensagensPadroes, "Canc")) return;
  if (toolkit::InEditMode(dtsQtdePropServico->State())) {
    cdsQtdePropServico->Cancel();
    // Only a range of a service without stored ranges: the service may be
    // one the list keeps locally.
    if (cdsQtdePropServico->RecordCount() == 0) ReloadAndReturn(service);
  }
  if (toolkit::InEditMode(dtsPadrao->State())) {
    dtsPadrao->DataSet()->Cancel();
    ReloadAndReturn(service);
  }
  // A change whose save was refused is still in the log: dropped as a
  // cancelled row's would be, and the list shows what is stored again.
  if (UnsentRangeChanges()) {
    cdsQtdePropServico->CancelUpdates();
    SetEditLock(true);
    ReloadAndReturn(service);
  }
}
