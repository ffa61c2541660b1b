// Handlers of the service list, the ranges and the commands.
// They are bound to their events already; their work comes with the
// service, range and command logic. Overrides that extend a
// base-screen handler already call it (first or last, as they will); the
// commands that replace the base screen's handling do nothing meanwhile.
#include "screen/Cli_ate11600.h"

void TfrmPropPass::Vd_CdServico(bool) {}
void TfrmPropPass::Vd_SGCLASSE(bool) {}
void TfrmPropPass::Vd_IDCICLO(bool) {}
void TfrmPropPass::dbgPadraoEditButtonClick(toolkit::Control&) {}
void TfrmPropPass::dbgPadraoColEnter(toolkit::Control&) {}
void TfrmPropPass::dbgPadraoColExit(toolkit::Control&) {}
void TfrmPropPass::dbgPadraoKeyPress(toolkit::Control& sender, char32_t& key) {
  TfrmPadraoGrid::dbgPadraoKeyPress(sender, key);
}
void TfrmPropPass::dbgPadraoExit(toolkit::Control&) {}
void TfrmPropPass::cdsPropServicoBeforeInsert(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoAfterInsert(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoBeforePost(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoAfterPost(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoAfterCancel(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoBeforeScroll(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoAfterScroll(toolkit::DataSet&) {}
void TfrmPropPass::cdsPropServicoCDSERVICOChange(toolkit::Field&) {}
void TfrmPropPass::dtsPadraoStateChange(toolkit::DataSource& sender) { TfrmPadraoGrid::dtsPadraoStateChange(sender); }

void TfrmPropPass::Vd_QtPaxAte(bool) {}
void TfrmPropPass::cdsQtdePropServicoBeforePost(toolkit::DataSet&) {}
void TfrmPropPass::dtsQtdePropServicoStateChange(toolkit::DataSource&) {}
void TfrmPropPass::cdsQtdePropServicoAfterInsert(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterEdit(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterCancel(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterPost(toolkit::DataSet&) {}
void TfrmPropPass::dbgQtdePropServicoColExit(toolkit::Control&) {}
void TfrmPropPass::dbgQtdePropServicoEnter(toolkit::Control&) {}
void TfrmPropPass::dbgQtdePropServicoKeyDown(toolkit::Control&, toolkit::Word&, toolkit::ShiftState) {}
void TfrmPropPass::dbgQtdePropServicoKeyPress(toolkit::Control&, char32_t&) {}

void TfrmPropPass::sbtIncluirClick(toolkit::Control&) {}
void TfrmPropPass::sbtAlterarClick(toolkit::Control&) {}
void TfrmPropPass::sbtConfirmarClick(toolkit::Control& sender) { TfrmPadraoGrid::sbtConfirmarClick(sender); }
void TfrmPropPass::sbtVerificarClick(toolkit::Control&) {}
void TfrmPropPass::sbtExcluirClick(toolkit::Control&) {}
void TfrmPropPass::sbtCancelarClick(toolkit::Control&) {}
void TfrmPropPass::sbtImprimirClick(toolkit::Control&) {}
