#include "framework/PadraoGrid.h"

#include "framework/Helpers.h"

namespace framework {

namespace {

template <class T>
T* Make(toolkit::Component* owner, const char* name, toolkit::Container* parent = nullptr) {
  auto* component = new T(owner);
  component->SetName(name);
  if constexpr (std::is_base_of_v<toolkit::Control, T>) {
    if (parent) component->SetParent(parent);
  }
  return component;
}

struct CommandText {
  const char* caption;
  const char* hint;
};

}  // namespace

/*!
  Builds the command bar, the menu, the data area and the navigator, and
  binds every handler to its event. The command rule starts from the
  inactive state: everything but sbtSair is off until data arrives.
*/
TfrmPadraoGrid::TfrmPadraoGrid(toolkit::Component* owner) : Form(owner) {
  dtsPadrao = Make<toolkit::DataSource>(this, "dtsPadrao");
  msgPadrao = Make<TMessages>(this, "msgPadrao");
  msgMensagensPadroes = Make<TMessages>(this, "msgMensagensPadroes");
  msgMensagensPadroes->Add("Excl", "Confirma exclusão?");
  msgMensagensPadroes->Add("Canc", "Cancelar operação?");
  msgMensagensPadroes->Add("Cia_Nao_Cad", "Companhia não cadastrada.");
  BuildCommandBar();
  BuildMenu();
  BuildDataArea();
  BindHandlers();
  SetKeyPreview(true);
  ApplyCommandRule();
}

TfrmPadraoGrid::~TfrmPadraoGrid() = default;

void TfrmPadraoGrid::BuildCommandBar() {
  panMenu = Make<toolkit::Panel>(this, "panMenu", this);
  panMenu->SetAlign(toolkit::Align::alTop);
  panMenu->SetHeight(30);
  int left = 2;
  auto button = [this, &left](const char* name, CommandText text) {
    auto* b = Make<toolkit::Button>(this, name, panMenu);
    b->SetCaption(text.caption);
    b->SetHint(text.hint);
    b->SetBounds(left, 3, 64, 24);
    left += 65;
    return b;
  };
  sbtIncluir = button("sbtIncluir", {"Incluir", "Incluir (F2)"});
  sbtAlterar = button("sbtAlterar", {"Alterar", "Alterar (F3)"});
  sbtExcluir = button("sbtExcluir", {"Excluir", "Excluir (F4)"});
  sbtVerificar = button("sbtVerificar", {"Verificar", "Verificar (F5)"});
  sbtProcurar = button("sbtProcurar", {"Procurar", "Procurar (F6)"});
  sbtImprimir = button("sbtImprimir", {"Imprimir", "Imprimir (F7)"});
  sbtCancelar = button("sbtCancelar", {"Cancelar", "Cancelar (F8)"});
  sbtConfirmar = button("sbtConfirmar", {"Confirmar", "Confirmar (F9)"});
  sbtSair = button("sbtSair", {"Sair", "Sair"});
  lblCodTela = Make<toolkit::Label>(this, "lblCodTela", panMenu);
  lblCodTela->SetAlign(toolkit::Align::alRight);
  lblCodTela->SetWidth(70);
}

void TfrmPadraoGrid::BuildMenu() {
  mnuPrincipal = Make<toolkit::MainMenu>(this, "mnuPrincipal");
  mnuManutencao = Make<toolkit::MenuItem>(this, "mnuManutencao");
  mnuManutencao->SetCaption("&Manutenção");
  mnuPrincipal->Add(mnuManutencao);
  // The keys are the form's own (FormKeyDown): the menu only shows them.
  auto item = [this](const char* name, const char* caption, const char* key) {
    auto* i = Make<toolkit::MenuItem>(this, name);
    i->SetCaption(caption);
    i->SetKeyHint(key);
    mnuManutencao->Add(i);
    return i;
  };
  mnuIncluir = item("mnuIncluir", "&Incluir", "F2");
  mnuAlterar = item("mnuAlterar", "&Alterar", "F3");
  mnuExcluir = item("mnuExcluir", "&Excluir", "F4");
  mnuProcurar = item("mnuProcurar", "&Procurar", "F6");
  mnuVerificar = item("mnuVerificar", "&Verificar", "F5");
  mnuCancelar = item("mnuCancelar", "&Cancelar", "F8");
  mnuConfirmar = item("mnuConfirmar", "C&onfirmar", "F9");
  // Every command of the button bar is in the menu too.
  mnuImprimir = item("mnuImprimir", "Imp&rimir", "F7");
  item("mnuSeparador", "-", "");
  mnuSair = item("mnuSair", "&Sair", "");
  SetMenu(mnuPrincipal);
}

void TfrmPadraoGrid::BuildDataArea() {
  pgcPadrao = Make<toolkit::PageControl>(this, "pgcPadrao", this);
  pgcPadrao->SetAlign(toolkit::Align::alClient);
  tshPadrao = Make<toolkit::TabSheet>(this, "tshPadrao");
  tshPadrao->SetPageControl(pgcPadrao);
  scbFolhaDados = Make<toolkit::ScrollBox>(this, "scbFolhaDados", tshPadrao);
  scbFolhaDados->SetAlign(toolkit::Align::alClient);
  dbgPadrao = Make<toolkit::DBGrid>(this, "dbgPadrao", scbFolhaDados);
  dbgPadrao->SetAlign(toolkit::Align::alClient);
  dbgPadrao->SetDataSource(dtsPadrao);
  panNavigator = Make<toolkit::Panel>(this, "panNavigator", this);
  panNavigator->SetAlign(toolkit::Align::alBottom);
  panNavigator->SetHeight(25);
  dbtNome = Make<toolkit::DBText>(this, "dbtNome", panNavigator);
  dbtNome->SetDataSource(dtsPadrao);
  dbtNome->SetBounds(6, 4, 400, 17);
  dbnPadrao = Make<toolkit::DBNavigator>(this, "dbnPadrao", panNavigator);
  dbnPadrao->SetDataSource(dtsPadrao);
  dbnPadrao->SetAlign(toolkit::Align::alRight);
  dbnPadrao->SetWidth(112);
}

void TfrmPadraoGrid::BindHandlers() {
  OnCreate = [this](toolkit::Control& s) { FormCreate(s); };
  OnClose = [this](toolkit::Control& s, toolkit::CloseAction& a) { FormClose(s, a); };
  OnKeyDown = [this](toolkit::Control& s, toolkit::Word& k, toolkit::ShiftState sh) { FormKeyDown(s, k, sh); };
  dbgPadrao->OnKeyPress = [this](toolkit::Control& s, char32_t& k) { dbgPadraoKeyPress(s, k); };
  dtsPadrao->OnStateChange = [this](toolkit::DataSource& s) { dtsPadraoStateChange(s); };
  using Handler = void (TfrmPadraoGrid::*)(toolkit::Control&);
  auto bind = [this](toolkit::Button* button, toolkit::MenuItem* item, Handler handler) {
    button->OnClick = [this, handler](toolkit::Control& s) { (this->*handler)(s); };
    // The menu item acts as its button: handlers see the button as sender.
    if (item) item->OnClick = [this, handler, button](toolkit::MenuItem&) { (this->*handler)(*button); };
  };
  bind(sbtIncluir, mnuIncluir, &TfrmPadraoGrid::sbtIncluirClick);
  bind(sbtAlterar, mnuAlterar, &TfrmPadraoGrid::sbtAlterarClick);
  bind(sbtExcluir, mnuExcluir, &TfrmPadraoGrid::sbtExcluirClick);
  bind(sbtProcurar, mnuProcurar, &TfrmPadraoGrid::sbtProcurarClick);
  bind(sbtVerificar, mnuVerificar, &TfrmPadraoGrid::sbtVerificarClick);
  bind(sbtCancelar, mnuCancelar, &TfrmPadraoGrid::sbtCancelarClick);
  bind(sbtConfirmar, mnuConfirmar, &TfrmPadraoGrid::sbtConfirmarClick);
  bind(sbtImprimir, mnuImprimir, &TfrmPadraoGrid::sbtImprimirClick);
  bind(sbtSair, mnuSair, &TfrmPadraoGrid::sbtSairClick);
}

toolkit::DataSet* TfrmPadraoGrid::GridDataSet() const { return dtsPadrao->DataSet(); }

void TfrmPadraoGrid::SetCommand(toolkit::Button* button, toolkit::MenuItem* item, bool enabled) {
  if (item) item->SetEnabled(enabled);
  button->SetEnabled(enabled);
}

void TfrmPadraoGrid::ApplyCommandRule() {
  const toolkit::DataSetState state = dtsPadrao->State();
  const bool browse = state == toolkit::DataSetState::dsBrowse;
  const bool editing = toolkit::InEditMode(state);
  const bool rows = browse && !GridDataSet()->IsEmpty();
  SetCommand(sbtIncluir, mnuIncluir, browse);
  SetCommand(sbtAlterar, mnuAlterar, rows);
  SetCommand(sbtExcluir, mnuExcluir, rows);
  SetCommand(sbtProcurar, mnuProcurar, rows);
  SetCommand(sbtVerificar, mnuVerificar, rows);
  SetCommand(sbtImprimir, mnuImprimir, rows);
  SetCommand(sbtCancelar, mnuCancelar, editing);
  SetCommand(sbtConfirmar, mnuConfirmar, editing);
}

}  // namespace framework
