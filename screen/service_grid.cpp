// The service grid: the code column is typed only while a service is
// being inserted, a typed code is looked up as the user leaves the column,
// and classes are typed in upper case.
#include "framework/Helpers.h"
#include "screen/Cli_ate11600.h"

void TfrmPropPass::ApplyCodeColumnRule() {
  const int index = framework::IndiceCol(*dbgPadrao, "CDARVPROD");
  if (index < 0) return;
  const bool inserting = dtsPadrao->State() == toolkit::DataSetState::dsInsert;
  toolkit::Column& column = dbgPadrao->Columns(index);
  column.SetReadOnly(!inserting);
  column.SetButtonStyle(inserting ? toolkit::ButtonStyle::cbsEllipsis : toolkit::ButtonStyle::cbsNone);
}

void TfrmPropPass::dbgPadraoColEnter(toolkit::Control& /*sender*/) {
  if (dbgPadrao->SelectedField() == cdsPropServicoCDARVPROD) ApplyCodeColumnRule();
}

void TfrmPropPass::dbgPadraoColExit(toolkit::Control& /*sender*/) {
  // The grid still selects the column being left.
  if (dbgPadrao->SelectedField() == cdsPropServicoCDARVPROD &&
      cdsPropServico->State() == toolkit::DataSetState::dsInsert)
    Vd_CdServico(false);
}

void TfrmPropPass::dbgPadraoKeyPress(toolkit::Control& sender, char32_t& key) {
  TfrmPadraoGrid::dbgPadraoKeyPress(sender, key);
  if (dbgPadrao->SelectedField() == cdsPropServicoSGCLASSE && key >= U'a' && key <= U'z') key -= U'a' - U'A';
}

// Left empty on purpose: the upper-bound check takes it off while it moves
// the focus out of the grid, and puts it back.
void TfrmPropPass::dbgPadraoExit(toolkit::Control& /*sender*/) {}
