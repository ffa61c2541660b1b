// Every stored range goes to the server at once: its change log is sent
// and merged, then both lists are read again and the cursors put back on
// the service and the range the user was on.
#include "framework/Helpers.h"
#include "framework/LocalCache.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

namespace {
constexpr const char* kServiceKeyFields = "CDFILIAL;NRVOO;CDTRECHO;CDSERVICO;CDCIA";
}

std::vector<toolkit::Variant> TfrmPropPass::CurrentServiceKey() const {
  std::vector<toolkit::Variant> key;
  for (const toolkit::Field* f : {cdsPropServicoCDFILIAL, cdsPropServicoNRVOO, cdsPropServicoCDTRECHO,
                                  cdsPropServicoCDSERVICO, cdsPropServicoCDCIA})
    key.emplace_back(f->AsString());
  return key;
}

bool TfrmPropPass::SendRangeChanges() {
  if (cdsQtdePropServico->ChangeCount() <= 0) return false;
  framework::ActiveShowAvi(this, 1, msgPadrao->Msg("Atual_Server"));
  try {
    SaveWithIdentity();
  } catch (...) {
    framework::DeactiveShowAvi(this);
    ShowUnsentChanges();
    throw;
  }
  framework::DeactiveShowAvi(this);
  if (cdsQtdePropServico->LogChanges()) cdsQtdePropServico->MergeChangeLog();
  return true;
}

void TfrmPropPass::cdsQtdePropServicoAfterPost(toolkit::DataSet& /*dataSet*/) { SaveRangesAndReturn(); }

void TfrmPropPass::SaveRangesAndReturn() {
  // Lifted also when the save fails, so the screen never stays frozen; a
  // failed save keeps the change in the log for the next one.
  framework::WindowUpdateLock frozen(this);
  const std::vector<toolkit::Variant> service = CurrentServiceKey();
  const std::vector<toolkit::Variant> range{cdsQtdePropServicoQTPAXDE->AsString(),
                                            cdsQtdePropServicoQTPAXATE->AsString()};
  if (SendRangeChanges()) framework::AtualizaLocalCache({"PROPSERVICO"});
  SetEditLock(true);
  ReturnTo(service, range);
}

void TfrmPropPass::ReturnTo(const std::vector<toolkit::Variant>& service, const std::vector<toolkit::Variant>& range) {
  sbtVerificarClick(*sbtVerificar);
  cdsPropServico->Locate(kServiceKeyFields, service, toolkit::loCaseInsensitive);
  cdsQtdePropServico->Locate("QTPAXDE;QTPAXATE", range, toolkit::loCaseInsensitive);
  dtsQtdePropServicoStateChange(*dtsQtdePropServico);
}

// Cancel's way back: the list as the server has it, on the service the
// user was on when it is still there. A failed reload still repositions
// on what is loaded before it is reported.
void TfrmPropPass::ReloadAndReturn(const std::vector<toolkit::Variant>& service) {
  framework::WindowUpdateLock frozen(this);
  std::exception_ptr failure;
  try {
    ReloadServices();
  } catch (...) {
    failure = std::current_exception();
  }
  cdsPropServico->Locate(kServiceKeyFields, service, toolkit::loCaseInsensitive);
  if (failure) std::rethrow_exception(failure);
}

void TfrmPropPass::ReloadServices() {
  LoadAnswer(*cdsPropServico, server::GetPropServico(*netPropPass, qryFilialCDFILIAL->AsString(),
                                                     cdsCompanhiaCDCIA->AsString(), medNrVoo->Text(),
                                                     SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")));
}
