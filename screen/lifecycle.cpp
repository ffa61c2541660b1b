// The screen's life: the module entries that open it, creation, activation,
// closing, the screen-wide keys, the connection's address and the command
// rule while the range grid is in use.
#include "framework/Helpers.h"
#include "framework/Host.h"
#include "framework/Picture.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"

extern "C" {
TfrmPropPass* frmPropPass = nullptr;
bool boStCriado = false;
bool boActive = false;
}

namespace {
int unitStarts = 0;
}

void Cli_ate11600_Initialization() {
  if (unitStarts++ == 0) boStCriado = false;
}

void Cli_ate11600_Finalization() {
  if (unitStarts > 0) --unitStarts;
}

extern "C" void CriaProporServPass() {
  toolkit::Application& app = toolkit::Application::Instance();
  app.SetCursor(toolkit::crHourGlass);
  if (!boStCriado) {
    // Stored before it is used, as the creation itself already reaches the
    // screen through the variable.
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

void TfrmPropPass::FormCreate(toolkit::Control& sender) {
  TfrmPadraoGrid::FormCreate(sender);
  framework::ActiveShowAvi(toolkit::Application::Instance().MainForm(), 0, "");
  netPropPass->SetConnected(true);
  framework::DeactiveShowAvi(toolkit::Application::Instance().MainForm());
  cdsPropServicoCDARVPROD->SetEditMask(framework::DBPict(0));
  qryServicoCiaPesqCDARVPROD->SetEditMask(framework::DBPict(0));
  boActive = false;
  const bool bound = framework::ModuFili();
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{lblfilial, edtfilial, btnfilial})
    c->SetTag(bound ? framework::kTagFixed : 0);
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{lblfilial, edtfilial, btnfilial})
    c->SetEnabled(!bound);
  qryFilial->Close();
  qryFilial->ParamByName("P_TCDFILIAL").SetAsString("");
  qryFilial->ParamByName("P_CDFILIAL").SetAsString(framework::FiliProc());
  qryFilial->Open();
  edtfilial->SetText(qryFilialCDFILIAL->AsString());
  edtNmfilial->SetText(qryFilialNMFILIAL->AsString());
  if (bound) medSgCia->SetFocus();
}

void TfrmPropPass::FormActivate(toolkit::Control& /*sender*/) {
  Refresh();
  if (boActive) return;
  dtsQtdePropServico->OnStateChange = nullptr;
  LoadRanges();
  dtsQtdePropServico->OnStateChange = [this](toolkit::DataSource& s) { dtsQtdePropServicoStateChange(s); };
  boActive = true;
}

// The ranges of the current service in the header's context.
void TfrmPropPass::LoadRanges() {
  framework::ServerAnswer answer = server::GetQtdePropServico(
      *netPropPass, edtfilial->Text(), medSgCia->Text(), cdsPropServicoCDSERVICO->AsString(),
      cdsPropServicoCDCLASSE->AsString(), cdsPropServicoCDCICLO->AsString(), medNrVoo->Text(),
      SelecionaTrecho(cbbTrecho->ItemIndex(), "COD"));
  cdsQtdePropServico->SetData(framework::CheckResultServ(answer, true, 0));
}

void TfrmPropPass::FormClose(toolkit::Control& sender, toolkit::CloseAction& action) {
  boStCriado = false;
  netPropPass->SetConnected(false);
  TfrmPadraoGrid::FormClose(sender, action);
}

void TfrmPropPass::FormKeyDown(toolkit::Control& sender, toolkit::Word& key, toolkit::ShiftState shift) {
  TfrmPadraoGrid::FormKeyDown(sender, key, shift);
  if (!(shift & toolkit::ssAlt)) return;
  if (key == toolkit::VK_NEXT) {
    key = 0;
    if (dbgQtdePropServico->CanFocus()) dbgQtdePropServico->SetFocus();
  } else if (key == toolkit::VK_PRIOR) {
    key = 0;
    if (dbgPadrao->CanFocus()) dbgPadrao->SetFocus();
  }
}

void TfrmPropPass::netPropPassBeforeConnect(framework::TNetConnection& /*sender*/) {
  netPropPass->SetPort(framework::WebPort());
  netPropPass->SetHost(framework::WebURL());
}

void TfrmPropPass::HabilitaBotoes() {
  const toolkit::DataSetState s = dtsQtdePropServico->State();
  const bool browse = s == toolkit::DataSetState::dsBrowse;
  const bool editing = s == toolkit::DataSetState::dsEdit || s == toolkit::DataSetState::dsInsert;
  const bool rows = browse && !cdsQtdePropServico->IsEmpty();
  mnuCancelar->SetEnabled(editing);
  mnuConfirmar->SetEnabled(editing);
  mnuAlterar->SetEnabled(rows);
  mnuExcluir->SetEnabled(rows);
  mnuProcurar->SetEnabled(rows);
  mnuVerificar->SetEnabled(rows);
  mnuIncluir->SetEnabled(browse);
  sbtCancelar->SetEnabled(mnuCancelar->Enabled());
  sbtConfirmar->SetEnabled(mnuConfirmar->Enabled());
  sbtAlterar->SetEnabled(mnuAlterar->Enabled());
  sbtIncluir->SetEnabled(mnuIncluir->Enabled());
  sbtExcluir->SetEnabled(mnuExcluir->Enabled());
  sbtProcurar->SetEnabled(mnuProcurar->Enabled());
  sbtVerificar->SetEnabled(mnuVerificar->Enabled());
}
