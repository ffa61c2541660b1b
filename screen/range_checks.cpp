// What a passenger range must pass before it is kept: local checks of its
// bounds and quantity, then the server's view of the service's stored
// ranges; a range of a service not yet kept stores that service too.
#include <string>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

namespace {

// The catalogue's texts take their argument in place of "%s".
std::string WithArgument(std::string text, const std::string& argument) {
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

constexpr double kMaxQuantity = 99999;

}  // namespace

void TfrmPropPass::RefuseRange(toolkit::Field& focus, const std::string& text) {
  focus.FocusControl();
  framework::MensErro(text);
}

void TfrmPropPass::Vd_QtPaxAte(bool obligatory) {
  const bool empty = framework::EmptyString(cdsQtdePropServicoQTPAXATE->AsString());
  if (obligatory && empty) {
    FocusRangeGrid(*cdsQtdePropServicoQTPAXATE);
    framework::MensErro(msgPadrao->Msg("not_null_QTPAXATE"));
  }
  if (empty) return;
  if (cdsQtdePropServicoQTPAXDE->AsFloat() > cdsQtdePropServicoQTPAXATE->AsFloat())
    RefuseRange(*cdsQtdePropServicoQTPAXATE, msgPadrao->Msg("PAXDE>PAXATE"));
  // Compared as typed: a number too big for an integer is still too big.
  if (cdsQtdePropServicoQTPAXATE->AsFloat() > kMaxPassengers)
    RefuseRange(*cdsQtdePropServicoQTPAXATE, msgPadrao->Msg("QTPAXATE_space"));
}

void TfrmPropPass::dbgQtdePropServicoColExit(toolkit::Control& /*sender*/) {
  // A new range's upper bound may still be empty here; the post requires it.
  if (dtsQtdePropServico->State() == toolkit::DataSetState::dsInsert) Vd_QtPaxAte(false);
}

void TfrmPropPass::cdsQtdePropServicoBeforePost(toolkit::DataSet& /*dataSet*/) {
  const toolkit::DataSetState state = dtsQtdePropServico->State();
  if (state == toolkit::DataSetState::dsInsert)
    CheckNewRange();
  else
    CheckServiceQuantity();
  if (state != toolkit::DataSetState::dsEdit || RangeValuesChanged()) TestRangeCollision();
  if (cdsPropServico->State() == toolkit::DataSetState::dsInsert) StoreServiceOfRange();
}

void TfrmPropPass::CheckNewRange() {
  Vd_QtPaxAte(true);
  if (framework::EmptyString(cdsQtdePropServicoQTSERVICO->AsString()))
    RefuseRange(*cdsQtdePropServicoQTSERVICO, msgPadrao->Msg("quant_serv_null"));
  CheckServiceQuantity();
  OnHeaderFlight();
  LoadAnswer(*cdsFindProp,
             server::GetFindProp(*netPropPass, qryFilialCDFILIAL->AsString(), cdsCompanhiaCDCIA->AsString(),
                                 cdsPropServicoCDSERVICO->AsString(), cdsQtdePropServicoQTPAXDE->AsFloat(),
                                 cdsQtdePropServicoQTPAXATE->AsFloat(), cdsCompanhiaNRVOO->AsString(),
                                 cdsCompanhiaCDTRECHO->AsString()));
  if (cdsFindPropCONT->AsFloat() != 0) RefuseRange(*cdsQtdePropServicoQTPAXDE, msgPadrao->Msg("prop_exist"));
  cdsQtdePropServicoCDFILIAL->SetAsString(qryFilialCDFILIAL->AsString());
  cdsQtdePropServicoCDCIA->SetAsString(cdsCompanhiaCDCIA->AsString());
  cdsQtdePropServicoCDSERVICO->SetAsString(cdsPropServicoCDSERVICO->AsString());
  cdsQtdePropServicoCDCLASSE->SetAsString(cdsPropServicoCDCLASSE->AsString());
  cdsQtdePropServicoCDCICLO->SetAsString(cdsPropServicoCDCICLO->AsString());
  cdsQtdePropServicoNRVOO->SetAsString(cdsCompanhiaNRVOO->AsString());
  cdsQtdePropServicoCDTRECHO->SetAsString(cdsCompanhiaCDTRECHO->AsString());
}

bool TfrmPropPass::RangeValuesChanged() const {
  for (const toolkit::Field* f : {cdsQtdePropServicoQTPAXDE, cdsQtdePropServicoQTPAXATE, cdsQtdePropServicoQTSERVICO})
    if (f->OldValue().AsString() != f->AsString()) return true;
  return false;
}

void TfrmPropPass::CheckServiceQuantity() {
  const toolkit::Field& quantity = *cdsQtdePropServicoQTSERVICO;
  if (quantity.IsNull()) return;
  if (quantity.AsFloat() < 0 || quantity.AsFloat() > kMaxQuantity)
    RefuseRange(*cdsQtdePropServicoQTSERVICO, msgPadrao->Msg("QTSERVICO_faixa"));
}

void TfrmPropPass::TestRangeCollision() {
  OnHeaderFlight();
  LoadAnswer(*cdsTestaPropSe,
             server::GetTestaPropSe(*netPropPass, edtfilial->Text(), cdsCompanhiaCDCIA->AsString(),
                                    cdsPropServicoCDSERVICO->AsString(), cdsQtdePropServicoQTPAXDE->AsFloat(),
                                    cdsQtdePropServicoQTPAXATE->AsFloat(), cdsCompanhiaNRVOO->AsString(),
                                    cdsCompanhiaCDTRECHO->AsString()));
  if (cdsTestaPropSe->IsEmpty()) return;
  const std::string existing = msgPadrao->Msg("Qtde_Existe");
  switch (cdsTestaPropSePAX->AsInteger()) {
    case 1:
      RefuseRange(*cdsQtdePropServicoQTPAXDE, WithArgument(existing, cdsQtdePropServicoQTPAXDE->AsString()));
      break;
    case 2:
      RefuseRange(*cdsQtdePropServicoQTPAXATE, WithArgument(existing, cdsQtdePropServicoQTPAXATE->AsString()));
      break;
    case 3: RefuseRange(*cdsQtdePropServicoQTPAXATE, msgPadrao->Msg("Interv_Existe")); break;
    default: break;
  }
}

// The service's own post opens a first range when it is stored; here that
// range is the one being posted, so none more is opened. The service's
// checks complete its row (its code may have been typed but not yet looked
// up), so the range takes the service's keys again afterwards.
void TfrmPropPass::StoreServiceOfRange() {
  struct Flag {
    bool& on;
    explicit Flag(bool& f) : on(f) { on = true; }
    ~Flag() { on = false; }
  } nested(postingServiceOfRange_);
  cdsPropServico->Post();
  if (dtsQtdePropServico->State() != toolkit::DataSetState::dsInsert) return;
  cdsQtdePropServicoCDSERVICO->SetAsString(cdsPropServicoCDSERVICO->AsString());
  cdsQtdePropServicoCDCLASSE->SetAsString(cdsPropServicoCDCLASSE->AsString());
  cdsQtdePropServicoCDCICLO->SetAsString(cdsPropServicoCDCICLO->AsString());
}
