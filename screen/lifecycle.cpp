// The screen's life: creation, activation, closing, the screen-wide keys,
// the connection's address and the command rule while the range grid is in
// use.
#include "framework/Helpers.h"
#include "framework/Host.h"
#include "framework/Picture.h"
#include "framework/ServerAnswer.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"

namespace {

// Hides the wait indicator however the connect ends.
class WaitIndicator {
 public:
  explicit WaitIndicator(toolkit::Form* over) : over_(over) { framework::ActiveShowAvi(over_, 0, ""); }
  ~WaitIndicator() { framework::DeactiveShowAvi(over_); }
  WaitIndicator(const WaitIndicator&) = delete;
  WaitIndicator& operator=(const WaitIndicator&) = delete;

 private:
  toolkit::Form* over_;
};

}  // namespace

void TfrmPropPass::FormCreate(toolkit::Control& sender) {
  TfrmPadraoGrid::FormCreate(sender);
  {
    WaitIndicator wait(toolkit::Application::Instance().MainForm());
    // A refused connection is shown by the connection itself
    // (ThrowException false); the screen opens all the same.
    netPropPass->SetConnected(true);
    connectFailed_ = !netPropPass->Connected();
  }
  cdsPropServicoCDARVPROD->SetEditMask(framework::DBPict(0));
  qryServicoCiaPesqCDARVPROD->SetEditMask(framework::DBPict(0));
  boActive = false;
  const bool bound = framework::ModuFili();
  ApplyBranchMode(bound);
  LoadHostBranch();
  if (bound) medSgCia->SetFocus();
}

// Bound to the host's branch, the branch controls are fixed (Tag 99, so the
// header's enabling leaves them off); otherwise they follow the header.
void TfrmPropPass::ApplyBranchMode(bool bound) {
  const std::initializer_list<toolkit::Control*> branch{lblfilial, edtfilial, btnfilial};
  for (toolkit::Control* c : branch) c->SetTag(bound ? framework::kTagFixed : 0);
  for (toolkit::Control* c : branch) c->SetEnabled(!bound);
}

void TfrmPropPass::LoadHostBranch() {
  qryFilial->Close();
  qryFilial->ParamByName("P_TCDFILIAL").SetAsString("");
  qryFilial->ParamByName("P_CDFILIAL").SetAsString(framework::FiliProc());
  qryFilial->Open();
  edtfilial->SetText(qryFilialCDFILIAL->AsString());
  edtNmfilial->SetText(qryFilialNMFILIAL->AsString());
}

void TfrmPropPass::FormActivate(toolkit::Control& /*sender*/) {
  Refresh();
  if (boActive) return;
  // The user has just been told the server cannot be reached: the load
  // waits for the next time the screen is activated after leaving it.
  if (connectFailed_) return;
  {
    // Loading the ranges runs no state-change handling. The handler comes
    // back even when the load fails: the screen stays in use, and without
    // it a range could be edited with the header unlocked.
    struct Reattach {
      TfrmPropPass& form;
      ~Reattach() { form.AttachRangeStateChange(); }
    } reattach{*this};
    dtsQtdePropServico->OnStateChange = nullptr;
    LoadRanges();
    GridsShowHeader();
  }
  boActive = true;
}

void TfrmPropPass::FormDeactivate(toolkit::Control& /*sender*/) { connectFailed_ = false; }

void TfrmPropPass::AttachRangeStateChange() {
  dtsQtdePropServico->OnStateChange = [this](toolkit::DataSource& s) { dtsQtdePropServicoStateChange(s); };
}

void TfrmPropPass::LoadAnswer(toolkit::ClientDataSet& into, const framework::ServerAnswer& answer) {
  into.SetData(framework::CheckResultServ(answer, true, 0));
}

// The ranges of the current service in the header's context.
void TfrmPropPass::LoadRanges() {
  LoadAnswer(*cdsQtdePropServico,
             server::GetQtdePropServico(*netPropPass, edtfilial->Text(), medSgCia->Text(),
                                        cdsPropServicoCDSERVICO->AsString(), cdsPropServicoCDCLASSE->AsString(),
                                        cdsPropServicoCDCICLO->AsString(), medNrVoo->Text(),
                                        SelecionaTrecho(cbbTrecho->ItemIndex(), "COD")));
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
  const bool editing = toolkit::InEditMode(s);
  const bool rows = browse && !cdsQtdePropServico->IsEmpty();
  // Changes whose save was refused stay in the log: they can be sent again
  // or dropped.
  const bool unsent = UnsentRangeChanges();
  mnuCancelar->SetEnabled(editing || unsent);
  mnuConfirmar->SetEnabled(editing || unsent);
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
