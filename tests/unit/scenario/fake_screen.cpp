// A small screen module for the runner's own tests: a screen named
// frmPropPass with one control for each thing a script does, a modal
// dialog, a question, a pick list, an error and a remote call. It keeps a
// module variable like a real screen module, so that a module that were
// not loaded anew for each script would use a dead screen.
#include <stdexcept>

#include "framework/Host.h"
#include "framework/LocalCache.h"
#include "framework/NetConnection.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace {

using namespace toolkit;

template <class T>
T* Make(Form& form, const char* name) {
  auto* c = new T(&form);
  c->SetName(name);
  if constexpr (std::is_base_of_v<Control, T>) c->SetParent(&form);
  return c;
}

class Dialog : public Form {
 public:
  Dialog() {
    SetName("frmDialogo");
    edtNome = Make<Edit>(*this, "edtNome");  // the same name as on the screen
    btnOk = Make<Button>(*this, "btnOk");
    btnOk->OnClick = [this](Control&) { SetModalResult(mrOk); };
  }
  Edit* edtNome;
  Button* btnOk;
};

class Screen : public Form {
 public:
  Screen() {
    SetName("frmPropPass");
    SetFormStyle(FormStyle::fsMDIChild);
    edtNome = Make<Edit>(*this, "edtNome");
    medCodigo = Make<MaskEdit>(*this, "medCodigo");
    medCodigo->SetEditMask(">aaaa;0; ");
    cbbLista = Make<ComboBox>(*this, "cbbLista");
    cbbLista->SetItems({"um", "dois", "três"});
    // Filled by leaving the code, as the screen's legs are by leaving the flight.
    cbbTardia = Make<ComboBox>(*this, "cbbTardia");
    medCodigo->OnExit = [this](Control&) { cbbTardia->SetItems({medCodigo->Text()}); };
    cdsLista = Make<ClientDataSet>(*this, "cdsLista");
    cdsLista->AddStringField("CODE", 4);
    cdsLista->AddFloatField("QT");
    cdsLista->CreateDataSet();
    for (const char* code : {"A", "B", "C"}) {
      cdsLista->Append();
      cdsLista->FieldByName("CODE").SetAsString(code);
      cdsLista->FieldByName("QT").SetAsFloat(1.5);
      cdsLista->Post();
    }
    cdsLista->First();
    dtsLista = Make<DataSource>(*this, "dtsLista");
    dtsLista->SetDataSet(cdsLista);
    dbgLista = Make<DBGrid>(*this, "dbgLista");
    dbgLista->SetDataSource(dtsLista);
    dbgLista->AddColumn("CODE").SetButtonStyle(ButtonStyle::cbsEllipsis);
    dbgLista->AddColumn("QT").SetReadOnly(true);
    dbgLista->OnEditButtonClick = [this](Control&) { edtNome->SetText("botão"); };
    dbgLista->OnDblClick = [this](Control&) { edtNome->SetText("duplo"); };
    Button(*this, "btnPerguntar", [this] { edtNome->SetText(Application::Instance().Dialogs().Confirm("Continuar?") ? "sim" : "não"); });
    Button(*this, "btnModal", [this] {
      auto& dialog = Application::Instance().CreateForm<Dialog>();
      if (dialog.ShowModal() == mrOk) edtNome->SetText(dialog.edtNome->Text());
      Application::Instance().Release(dialog);
    });
    Button(*this, "btnErro", [] { throw std::runtime_error("falhou"); });
    Button(*this, "btnEscolher", [this] {
      if (Application::Instance().Dialogs().PickRow("Lista", *cdsLista, {}))
        edtNome->SetText(cdsLista->FieldByName("CODE").AsString());
    });
    Button(*this, "btnDesligado", [] { throw std::logic_error("a disabled button was clicked"); })->SetEnabled(false);
    Button(*this, "btnChamar", [this] {
      net->Call("GetQtdePropServico", {rpc::Param::String("0001"), rpc::Param::Number(2.5), rpc::Param::Null()});
    });
    Button(*this, "btnRelatorio", [] {
      ReportDocument report{"Ate116", "<p>relatório</p>", {{"P_CDFILIAL", "0001"}, {"P_NRVOO", ""}}};
      Application::Instance().Dialogs().ShowReport(report, ReportAction::Preview);
    });
    Button(*this, "btnCache", [] { framework::AtualizaLocalCache({"PROPSERVICO"}); });
    mnuItem = Make<MenuItem>(*this, "mnuItem");
    mnuItem->OnClick = [this](MenuItem&) { edtNome->SetText("menu"); };
    net = Make<framework::TNetConnection>(*this, "netTeste");
    net->SetServerName("Ate11600.rdmPropPass");
    net->BeforeConnect = [](framework::TNetConnection& c) {
      c.SetHost(framework::WebURL());
      c.SetPort(framework::WebPort());
    };
  }

  Edit* edtNome;
  MaskEdit* medCodigo;
  ComboBox* cbbLista;
  ComboBox* cbbTardia;
  ClientDataSet* cdsLista;
  DataSource* dtsLista;
  DBGrid* dbgLista;
  MenuItem* mnuItem;
  framework::TNetConnection* net;

 private:
  toolkit::Button* Button(Form& form, const char* name, std::function<void()> click) {
    auto* b = Make<toolkit::Button>(form, name);
    b->OnClick = [click](Control&) { click(); };
    return b;
  }
};

bool initialized = false;
Screen* screen = nullptr;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int fakeVariable = 0;

__attribute__((visibility("default"))) void Initialize() {
  if (initialized) throw std::logic_error("Initialize ran twice in one load");
  initialized = true;
}

__attribute__((visibility("default"))) void Finalize() {}

__attribute__((visibility("default"))) void CriaProporServPass() {
  if (!screen) {
    screen = &Application::Instance().CreateForm<Screen>();
    screen->OnClose = [](Control&, CloseAction&) { screen = nullptr; };
  }
  screen->Show();
  screen->SetWindowState(WindowState::wsNormal);
  screen->edtNome->SetFocus();
}

__attribute__((visibility("default"))) void IniProc() { CriaProporServPass(); }

__attribute__((visibility("default"))) void Falha() { throw std::runtime_error("a export failed"); }
}
