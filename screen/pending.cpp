// Handlers of the range editing and the commands.
// They are bound to their events already; their work comes with the
// range editing and command logic. Overrides that extend a
// base-screen handler already call it (first or last, as they will); the
// commands that replace the base screen's handling do nothing meanwhile.
#include "screen/Cli_ate11600.h"

void TfrmPropPass::dtsQtdePropServicoStateChange(toolkit::DataSource&) {}
void TfrmPropPass::cdsQtdePropServicoAfterInsert(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterEdit(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterCancel(toolkit::DataSet&) {}
void TfrmPropPass::cdsQtdePropServicoAfterPost(toolkit::DataSet&) {}
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
