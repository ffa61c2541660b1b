// The unit's module variables, its start-up and shut-down, and the two
// entries through which the host opens the screen.
#include "screen/Cli_ate11600.h"
#include "toolkit/controls/Application.h"

extern "C" {
TfrmPropPass* frmPropPass = nullptr;
bool boStCriado = false;
bool boActive = false;
}

namespace {

// The unit may be started by more than one package load; only the first
// start clears the created flag. Shut-down steps back and frees nothing, so
// a later first start clears it again.
int unitStarts = 0;

// Puts the default cursor back however the opening ends: a failed creation
// or first activation must not leave the hourglass behind.
class DefaultCursorOnExit {
 public:
  explicit DefaultCursorOnExit(toolkit::Application& app) : app_(app) {}
  ~DefaultCursorOnExit() { app_.SetCursor(toolkit::crDefault); }
  DefaultCursorOnExit(const DefaultCursorOnExit&) = delete;
  DefaultCursorOnExit& operator=(const DefaultCursorOnExit&) = delete;

 private:
  toolkit::Application& app_;
};

}  // namespace

void Cli_ate11600_Initialization() {
  if (unitStarts++ == 0) boStCriado = false;
}

void Cli_ate11600_Finalization() {
  if (unitStarts > 0) --unitStarts;
}

extern "C" void CriaProporServPass() {
  toolkit::Application& app = toolkit::Application::Instance();
  app.SetCursor(toolkit::crHourGlass);
  DefaultCursorOnExit cursor(app);
  if (!boStCriado) {
    // The variable is only set once creation has succeeded, so a failed
    // creation leaves boStCriado false and the next call tries again.
    frmPropPass = &app.CreateForm<TfrmPropPass>();
    boStCriado = true;
  }
  frmPropPass->Show();
  frmPropPass->SetWindowState(toolkit::WindowState::wsNormal);
  app.SetCursor(toolkit::crDefault);
  // While a range is open the header is locked; the focus then stays put
  // instead of failing the reopening.
  if (frmPropPass->medSgCia->CanFocus()) frmPropPass->medSgCia->SetFocus();
}

extern "C" void IniProc() { CriaProporServPass(); }
