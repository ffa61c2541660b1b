// Editing a range in the range grid: the header and the airline controls
// are locked while a range is open, a new range starts above the highest
// stored bound, and a stored range's bounds cannot be typed over.
#include <cctype>
#include <string>

#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

// A range above 9999 passengers can never be stored: rather than open one,
// the user is told what to do.
void TfrmPropPass::RefuseFullService() {
  cdsQtdePropServico->Cancel();
  framework::MensErro(msgPadrao->Msg("Serv_Completo"));
}

std::string TfrmPropPass::ActiveControlName() const {
  return ActiveControl() ? Upper(ActiveControl()->Name()) : std::string();
}

// Always in this order: airline code, navigator, airline lookup.
void TfrmPropPass::SetEditLock(bool enabled) {
  medSgCia->SetEnabled(enabled);
  panNavigator->SetEnabled(enabled);
  btpSgCompanhia->SetEnabled(enabled);
}

void TfrmPropPass::dtsQtdePropServicoStateChange(toolkit::DataSource& /*sender*/) {
  framework::SetChildEnabled(*panPlaVooCia, !toolkit::InEditMode(dtsQtdePropServico->State()));
  const std::string active = ActiveControlName();
  if (active == "DBGQTDEPROPSERVICO")
    HabilitaBotoes();
  else if (active == "DBGPADRAO")
    dtsPadraoStateChange(*dtsPadrao);
}

void TfrmPropPass::cdsQtdePropServicoAfterInsert(toolkit::DataSet& /*dataSet*/) {
  SetEditLock(false);
  OnHeaderFlight();
  LoadAnswer(*cdsMaiorPax,
             server::GetMaiorPax(*netPropPass, qryFilialCDFILIAL->AsString(), cdsCompanhiaCDCIA->AsString(),
                                 cdsPropServicoCDSERVICO->AsString(), cdsCompanhiaNRVOO->AsString(),
                                 cdsCompanhiaCDTRECHO->AsString()));
  if (cdsMaiorPaxMAXPAX->IsNull())
    cdsQtdePropServicoQTPAXDE->SetAsFloat(1);
  else if (cdsMaiorPaxMAXPAX->AsFloat() >= kMaxPassengers)
    RefuseFullService();
  else
    cdsQtdePropServicoQTPAXDE->SetAsFloat(static_cast<double>(cdsMaiorPaxMAXPAX->AsInteger() + 1));
  proposedPaxDe_ = cdsQtdePropServicoQTPAXDE->AsString();
  cdsQtdePropServicoQTPAXATE->FocusControl();
}

void TfrmPropPass::cdsQtdePropServicoAfterEdit(toolkit::DataSet& /*dataSet*/) { SetEditLock(false); }

void TfrmPropPass::cdsQtdePropServicoAfterCancel(toolkit::DataSet& /*dataSet*/) {
  cdsQtdePropServico->CancelUpdates();
  SetEditLock(true);
}

void TfrmPropPass::dbgQtdePropServicoEnter(toolkit::Control& /*sender*/) {
  // Ranges belong to a stored service: a new one is stored first.
  if (cdsPropServico->State() == toolkit::DataSetState::dsInsert) cdsPropServico->Post();
}

bool TfrmPropPass::StoredBoundSelected() const {
  const toolkit::Field* field = dbgQtdePropServico->SelectedField();
  if (!field || dtsQtdePropServico->State() == toolkit::DataSetState::dsInsert) return false;
  return field->FullName() == "QTPAXDE" || field->FullName() == "QTPAXATE";
}

void TfrmPropPass::dbgQtdePropServicoKeyDown(toolkit::Control& /*sender*/, toolkit::Word& key,
                                             toolkit::ShiftState /*shift*/) {
  if (key == toolkit::VK_DELETE && StoredBoundSelected()) key = 0;
}

void TfrmPropPass::dbgQtdePropServicoKeyPress(toolkit::Control& /*sender*/, char32_t& key) {
  if (key != U'\r' && StoredBoundSelected()) key = 0;
}
