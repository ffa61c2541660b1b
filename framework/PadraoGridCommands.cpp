// The base screen's handlers: the lifecycle, the function keys and the
// commands on the dataset of dtsPadrao.
#include "framework/Helpers.h"
#include "framework/PadraoGrid.h"
#include "toolkit/controls/Keys.h"
#include "toolkit/data/ClientDataSet.h"

namespace framework {

namespace {

bool Editing(const toolkit::DataSet* data) {
  return data && toolkit::InEditMode(data->State());
}

}  // namespace

void TfrmPadraoGrid::FormCreate(toolkit::Control& /*sender*/) {
  pgcPadrao->SetActivePage(tshPadrao);
  ApplyCommandRule();
}

void TfrmPadraoGrid::FormClose(toolkit::Control& /*sender*/, toolkit::CloseAction& action) {
  action = toolkit::CloseAction::caFree;
}

void TfrmPadraoGrid::FormKeyDown(toolkit::Control& /*sender*/, toolkit::Word& key, toolkit::ShiftState shift) {
  if (shift != 0) return;
  toolkit::Button* button = nullptr;
  switch (key) {
    case toolkit::VK_F2: button = sbtIncluir; break;
    case toolkit::VK_F3: button = sbtAlterar; break;
    case toolkit::VK_F4: button = sbtExcluir; break;
    case toolkit::VK_F5: button = sbtVerificar; break;
    case toolkit::VK_F6: button = sbtProcurar; break;
    case toolkit::VK_F7: button = sbtImprimir; break;
    case toolkit::VK_F8: button = sbtCancelar; break;
    case toolkit::VK_F9: button = sbtConfirmar; break;
    default: return;
  }
  if (!button->EnabledInTree() || !button->Showing()) return;
  key = 0;
  button->Click();
}

void TfrmPadraoGrid::dbgPadraoKeyPress(toolkit::Control& /*sender*/, char32_t& key) {
  if (key != U'\r') return;
  // Enter confirms the cell and goes on to the next one, as Tab does.
  key = 0;
  toolkit::Word tab = toolkit::VK_TAB;
  dbgPadrao->HandleKeyDown(tab, 0);
}

void TfrmPadraoGrid::dtsPadraoStateChange(toolkit::DataSource& /*sender*/) { ApplyCommandRule(); }

void TfrmPadraoGrid::sbtIncluirClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (!data) return;
  data->Insert();
  if (dbgPadrao->CanFocus()) dbgPadrao->SetFocus();
}

void TfrmPadraoGrid::sbtAlterarClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (!data) return;
  data->Edit();
  if (dbgPadrao->CanFocus()) dbgPadrao->SetFocus();
}

void TfrmPadraoGrid::sbtExcluirClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (!data || data->IsEmpty()) return;
  if (msgMensagensPadroes->ShowMsg("Excl", mtConfirmation, mbYes | mbNo, 0) != toolkit::mrYes) return;
  data->Delete();
}

void TfrmPadraoGrid::sbtProcurarClick(toolkit::Control& /*sender*/) {
  Pesquisar(*dtsPadrao, Caption(), false, false);
}

void TfrmPadraoGrid::sbtVerificarClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (!data || !data->Active()) return;
  auto* client = dynamic_cast<toolkit::ClientDataSet*>(data);
  if (client && !client->RemoteServer()) return;  // nothing to read the rows from
  data->CheckBrowseMode();
  // Read the rows again and come back to the same position.
  const int position = data->RecNo();
  data->Close();
  data->Open();
  if (position > 1) data->MoveBy(position - 1);
}

void TfrmPadraoGrid::sbtCancelarClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (!Editing(data)) return;
  if (msgMensagensPadroes->ShowMsg("Canc", mtConfirmation, mbYes | mbNo, 0) != toolkit::mrYes) return;
  data->Cancel();
}

void TfrmPadraoGrid::sbtConfirmarClick(toolkit::Control& /*sender*/) {
  toolkit::DataSet* data = GridDataSet();
  if (Editing(data)) data->Post();
}

// The base screen prints nothing: a screen with a report replaces this.
void TfrmPadraoGrid::sbtImprimirClick(toolkit::Control& /*sender*/) {}

void TfrmPadraoGrid::sbtSairClick(toolkit::Control& /*sender*/) { Close(); }

}  // namespace framework
