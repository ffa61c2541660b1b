// What the user typed is never dropped without a word: a move to another
// service stops while a range holds typed values, and leaving the screen
// or printing asks first.
#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"

namespace {

// Takes a control's exit handler off for the life of the object.
class ExitHeldOff {
 public:
  explicit ExitHeldOff(toolkit::Control& control) : control_(control), saved_(std::move(control.OnExit)) {
    control_.OnExit = nullptr;
  }
  ~ExitHeldOff() { control_.OnExit = std::move(saved_); }
  ExitHeldOff(const ExitHeldOff&) = delete;
  ExitHeldOff& operator=(const ExitHeldOff&) = delete;

 private:
  toolkit::Control& control_;
  toolkit::Control::NotifyEvent saved_;
};

}  // namespace

bool TfrmPropPass::RangeTyped() const {
  const toolkit::DataSetState state = cdsQtdePropServico->State();
  if (!toolkit::InEditMode(state)) return false;
  if (dbgQtdePropServico->HasPendingText() && !framework::EmptyString(dbgQtdePropServico->PendingText())) return true;
  if (state == toolkit::DataSetState::dsEdit) return RangeValuesChanged();
  // A new range starts with the proposed lower bound only.
  return !cdsQtdePropServicoQTPAXATE->IsNull() || !cdsQtdePropServicoQTSERVICO->IsNull() ||
         cdsQtdePropServicoQTPAXDE->AsString() != proposedPaxDe_;
}

bool TfrmPropPass::OpenRowTyped() const {
  return RangeTyped() || (toolkit::InEditMode(cdsPropServico->State()) && cdsPropServico->Modified());
}

bool TfrmPropPass::TypedUnsaved() const {
  return OpenRowTyped() || UnsentRangeChanges();
}

bool TfrmPropPass::MayDropOpenRows() const { return !OpenRowTyped() || Confirmed(*msgMensagensPadroes, "Canc"); }

void TfrmPropPass::FocusRangeGrid(toolkit::Field& field) {
  // The service grid may be the one losing the focus here (a move off its
  // service); its exit must not run in the middle of the move.
  ExitHeldOff held(*dbgPadrao);
  field.FocusControl();
}

void TfrmPropPass::LeaveRangeBeforeServiceMove() {
  const toolkit::DataSetState state = cdsQtdePropServico->State();
  if (!toolkit::InEditMode(state)) return;
  // Opened and left untouched: cancelled as Cancelar would, so that
  // everything it locked is unlocked. Not the first range of a service
  // kept only here: the service needs it, and the user must decide.
  if (!RangeTyped() && cdsQtdePropServico->RecordCount() > 0) {
    cdsQtdePropServico->Cancel();
    return;
  }
  if (state == toolkit::DataSetState::dsInsert) Vd_QtPaxAte(true);
  FocusRangeGrid(*cdsQtdePropServicoQTSERVICO);
  framework::MensErro(msgPadrao->Msg("Prop_Em_Edicao"));
}

void TfrmPropPass::sbtSairClick(toolkit::Control& sender) {
  // Closing drops changes whose save failed as well.
  if (TypedUnsaved() && !Confirmed(*msgMensagensPadroes, "Canc")) return;
  TfrmPadraoGrid::sbtSairClick(sender);
}

void TfrmPropPass::ShowUnsentChanges() {
  if (ActiveControl() == dbgQtdePropServico)
    HabilitaBotoes();
  else if (ActiveControl() == dbgPadrao)
    ApplyCommandRule();
  if (!UnsentRangeChanges()) return;
  // Sent again by Confirmar, dropped by Cancelar.
  sbtCancelar->SetEnabled(true);
  mnuCancelar->SetEnabled(true);
  sbtConfirmar->SetEnabled(true);
  mnuConfirmar->SetEnabled(true);
}

bool TfrmPropPass::UnsentRangeChanges() const {
  return cdsQtdePropServico->Active() && cdsQtdePropServico->ChangeCount() > 0;
}
