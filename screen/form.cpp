// The form description: the screen's own settings, its data area, and the
// binding of every handler to its event.
#include "framework/Resources.h"
#include "screen/Cli_ate11600.h"
#include "screen/FormParts.h"

using namespace screen_form;

TfrmPropPass::TfrmPropPass(toolkit::Component* owner) : TfrmPadraoGrid(owner) {
  GeneralConnection();  // refused before anything is built
  SetName("frmPropPass");
  SetCaption("Proporção de Serviço por Passageiro");
  SetFormStyle(toolkit::FormStyle::fsMDIChild);
  SetBounds(0, 0, 657, 384);
  SetHelpFile("Atehelp.hlp");
  SetHelpContext(10111600);
  lblCodTela->SetCaption("ATE11600");
  BuildHeader();
  BuildServiceData();
  BuildRangeData();
  BuildDataArea();
  BuildFlightData();
  BuildAnswerData();
  BuildLookups();
  BuildMessages();
  BuildRangeBar();
  netPropPass = Make<framework::TNetConnection>(this, "netPropPass");
  netPropPass->SetServerName("Ate11600.rdmPropPass");
  netPropPass->SetThrowException(false);
  BindHandlers();
  BindDataSetHandlers();
  for (toolkit::MenuItem* m : {mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar, mnuVerificar, mnuCancelar, mnuConfirmar})
    m->SetEnabled(false);
  sbtImprimir->SetEnabled(false);
  mnuImprimir->SetEnabled(false);
  BuildKeyboardMenu();
  BuildToolsMenu();
  framework::ApplyResources(*this);
}

void TfrmPropPass::BuildDataArea() {
  dbgPadrao->SetAlign(toolkit::Align::alClient);
  dbgPadrao->AddColumn("CDARVPROD");
  dbgPadrao->AddColumn("NMPRODUTO").SetWidth(164);
  dbgPadrao->Columns(1).SetReadOnly(true);
  dbgPadrao->AddColumn("SGCLASSE").SetReadOnly(true);
  dbgPadrao->AddColumn("IDCICLO").SetReadOnly(true);
  splQtdePropServico = Place<toolkit::Splitter>(this, "splQtdePropServico", scbFolhaDados);
  splQtdePropServico->SetAlign(toolkit::Align::alRight);
  // Left of the range grid, between the two grids.
  splQtdePropServico->SetBounds(437, 0, 7, 0);
  dbgQtdePropServico = Place<toolkit::DBGrid>(this, "dbgQtdePropServico", scbFolhaDados);
  dbgQtdePropServico->SetAlign(toolkit::Align::alRight);
  dbgQtdePropServico->SetBounds(444, 0, 213, 0);
  dbgQtdePropServico->SetColor(toolkit::TColor::clInfoBk);
  dbgQtdePropServico->SetOptions(toolkit::dgEditing | toolkit::dgTitles | toolkit::dgColumnResize |
                                 toolkit::dgColLines | toolkit::dgRowLines | toolkit::dgTabs |
                                 toolkit::dgConfirmDelete | toolkit::dgCancelOnExit);
  dbgQtdePropServico->SetDataSource(dtsQtdePropServico);
  dbgQtdePropServico->AddColumn("QTPAXDE").SetWidth(60);
  dbgQtdePropServico->AddColumn("QTPAXATE").SetWidth(61);
  dbgQtdePropServico->AddColumn("QTSERVICO");
  dbtNome->SetDataField("NMPRODUTO");
}

void TfrmPropPass::BindHandlers() {
  using C = toolkit::Control;
  OnActivate = [this](C& s) { FormActivate(s); };
  OnDeactivate = [this](C& s) { FormDeactivate(s); };
  netPropPass->BeforeConnect = [this](framework::TNetConnection& s) { netPropPassBeforeConnect(s); };
  panPlaVooCia->OnEnter = [this](C& s) { panPlaVooCiaEnter(s); };
  panPlaVooCia->OnExit = [this](C& s) { panPlaVooCiaExit(s); };
  edtfilial->OnChange = [this](C& s) { edtfilialChange(s); };
  edtfilial->OnExit = [this](C& s) { edtfilialExit(s); };
  btnfilial->OnBeforePesq = [this](C& s, bool& p) { btnfilialBeforePesq(s, p); };
  btnfilial->OnAfterPesq = [this](C& s) { btnfilialAfterPesq(s); };
  medSgCia->OnChange = [this](C& s) { medSgCiaChange(s); };
  medSgCia->OnExit = [this](C& s) { medSgCiaExit(s); };
  medNrVoo->OnChange = [this](C& s) { medNrVooChange(s); };
  medNrVoo->OnExit = [this](C& s) { medNrVooExit(s); };
  btpSgCompanhia->OnBeforePesq = [this](C& s, bool& p) { btpSgCompanhiaBeforePesq(s, p); };
  btpSgCompanhia->OnAfterPesq = [this](C& s) { btpSgCompanhiaAfterPesq(s); };
  btpSgCompanhia->OnCancelPesq = [this](C& s) { btpSgCompanhiaCancelPesq(s); };
  cbbTrecho->OnChange = [this](C& s) { cbbTrechoChange(s); };
  scbFolhaDados->OnEnter = [this](C& s) { scbFolhaDadosEnter(s); };
  dbgPadrao->OnColEnter = [this](C& s) { dbgPadraoColEnter(s); };
  dbgPadrao->OnColExit = [this](C& s) { dbgPadraoColExit(s); };
  dbgPadrao->OnDblClick = [this](C& s) { dbgPadraoEditButtonClick(s); };
  dbgPadrao->OnEditButtonClick = [this](C& s) { dbgPadraoEditButtonClick(s); };
  dbgPadrao->OnExit = [this](C& s) { dbgPadraoExit(s); };
  dbgQtdePropServico->OnColExit = [this](C& s) { dbgQtdePropServicoColExit(s); };
  dbgQtdePropServico->OnEnter = [this](C& s) { dbgQtdePropServicoEnter(s); };
  dbgQtdePropServico->OnKeyDown = [this](C& s, toolkit::Word& k, toolkit::ShiftState sh) {
    dbgQtdePropServicoKeyDown(s, k, sh);
  };
  dbgQtdePropServico->OnKeyPress = [this](C& s, char32_t& k) { dbgQtdePropServicoKeyPress(s, k); };
}

void TfrmPropPass::BindDataSetHandlers() {
  using D = toolkit::DataSet;
  cdsPropServico->BeforeInsert = [this](D& d) { cdsPropServicoBeforeInsert(d); };
  cdsPropServico->AfterInsert = [this](D& d) { cdsPropServicoAfterInsert(d); };
  cdsPropServico->BeforePost = [this](D& d) { cdsPropServicoBeforePost(d); };
  cdsPropServico->AfterPost = [this](D& d) { cdsPropServicoAfterPost(d); };
  cdsPropServico->AfterCancel = [this](D& d) { cdsPropServicoAfterCancel(d); };
  cdsPropServico->BeforeScroll = [this](D& d) { cdsPropServicoBeforeScroll(d); };
  cdsPropServico->AfterScroll = [this](D& d) { cdsPropServicoAfterScroll(d); };
  cdsPropServicoCDSERVICO->OnChange = [this](toolkit::Field& f) { cdsPropServicoCDSERVICOChange(f); };
  cdsQtdePropServico->BeforePost = [this](D& d) { cdsQtdePropServicoBeforePost(d); };
  cdsQtdePropServico->AfterInsert = [this](D& d) { cdsQtdePropServicoAfterInsert(d); };
  cdsQtdePropServico->AfterEdit = [this](D& d) { cdsQtdePropServicoAfterEdit(d); };
  cdsQtdePropServico->AfterCancel = [this](D& d) { cdsQtdePropServicoAfterCancel(d); };
  for (auto* before : {&cdsQtdePropServico->BeforeInsert, &cdsQtdePropServico->BeforeEdit,
                       &cdsQtdePropServico->BeforeDelete})
    *before = [this](D& d) { cdsQtdePropServicoBeforeChange(d); };
  cdsQtdePropServico->AfterPost = [this](D& d) { cdsQtdePropServicoAfterPost(d); };
  AttachRangeStateChange();
}
