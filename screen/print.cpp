// The print command: whatever is being typed in either grid is abandoned,
// after the user agreed, then the report screen opens for the header's
// flight.
#include "screen/Cli_ate11600.h"
#include "screen/Cli_ate11601.h"

void TfrmPropPass::sbtImprimirClick(toolkit::Control& /*sender*/) {
  if (!MayDropOpenRows()) return;
  // The ranges before the services, always.
  if (toolkit::InEditMode(cdsQtdePropServico->State())) {
    cdsQtdePropServico->Cancel();
    cdsQtdePropServico->CancelUpdates();
  }
  if (toolkit::InEditMode(cdsPropServico->State())) {
    cdsPropServico->Cancel();
    cdsPropServico->CancelUpdates();
  }
  CriaRelPropServPass();
}
