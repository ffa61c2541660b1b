// The base grid screen: its command rule, function keys, commands, menu
// wiring, lookup button and closing.
#include <gtest/gtest.h>

#include "framework/LookupButton.h"
#include "framework/PadraoGrid.h"
#include "framework_fixture.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Input.h"
#include "toolkit/data/ClientDataSet.h"

namespace framework_test {
namespace {

using toolkit::DataSetState;

class Screen : public framework::TfrmPadraoGrid {
 public:
  Screen() {
    SetName("frmTeste");
    SetFormStyle(toolkit::FormStyle::fsMDIChild);
    data = new toolkit::ClientDataSet(this);
    data->SetName("cdsTeste");
    data->AddStringField("CODIGO", 4);
    data->AddStringField("NOME", 20).SetVisible(false);
    dtsPadrao->SetDataSet(data);
  }
  void Load(int rows) {
    packet::DataPacket p;
    p.fields = {{"CODIGO", packet::FieldType::String, 4}, {"NOME", packet::FieldType::String, 20}};
    for (int i = 0; i < rows; ++i)
      p.rows.push_back({packet::Value(std::to_string(i)), packet::Value("n" + std::to_string(i))});
    data->SetData(std::move(p));
  }
  void sbtImprimirClick(toolkit::Control&) override { ++prints; }
  toolkit::ClientDataSet* data;
  int prints = 0;
};

class PadraoGrid : public FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    screen = &toolkit::Application::Instance().CreateForm<Screen>();
    screen->Show();
  }
  // Enabled state of the commands, as "IAEPVCOR" letters (R: print).
  std::string Commands() const {
    std::string s;
    auto mark = [&](toolkit::Button* b, toolkit::MenuItem* m, char c) {
      if (m) {
        EXPECT_EQ(b->Enabled(), m->Enabled()) << c;
      }
      s += b->Enabled() ? c : '-';
    };
    mark(screen->sbtIncluir, screen->mnuIncluir, 'I');
    mark(screen->sbtAlterar, screen->mnuAlterar, 'A');
    mark(screen->sbtExcluir, screen->mnuExcluir, 'E');
    mark(screen->sbtProcurar, screen->mnuProcurar, 'P');
    mark(screen->sbtVerificar, screen->mnuVerificar, 'V');
    mark(screen->sbtCancelar, screen->mnuCancelar, 'C');
    mark(screen->sbtConfirmar, screen->mnuConfirmar, 'O');
    mark(screen->sbtImprimir, nullptr, 'R');
    return s;
  }
  Screen* screen = nullptr;
};

TEST_F(PadraoGrid, CommandRuleFollowsTheGridDataSet) {
  EXPECT_EQ(Commands(), "--------");
  EXPECT_TRUE(screen->sbtSair->Enabled());
  screen->Load(0);
  EXPECT_EQ(Commands(), "I-------");
  screen->Load(2);
  EXPECT_EQ(Commands(), "IAEPV--R");
  screen->data->Edit();
  EXPECT_EQ(Commands(), "-----CO-");
  screen->data->Cancel();
  screen->data->Insert();
  EXPECT_EQ(Commands(), "-----CO-");
  screen->data->Close();
  EXPECT_EQ(Commands(), "--------");
}

TEST_F(PadraoGrid, FunctionKeysClickOnlyEnabledCommands) {
  screen->Load(1);
  toolkit::input::Focus(*screen->dbgPadrao);
  toolkit::input::Key(*screen, toolkit::VK_F7);
  EXPECT_EQ(screen->prints, 1);
  toolkit::input::Key(*screen, toolkit::VK_F3);  // Alterar
  EXPECT_EQ(screen->data->State(), DataSetState::dsEdit);
  toolkit::input::Key(*screen, toolkit::VK_F7);  // print is off while editing
  EXPECT_EQ(screen->prints, 1);
  toolkit::input::Key(*screen, toolkit::VK_F9);  // Confirmar posts
  EXPECT_EQ(screen->data->State(), DataSetState::dsBrowse);
  toolkit::input::Key(*screen, toolkit::VK_F2);
  EXPECT_EQ(screen->data->State(), DataSetState::dsInsert);
  EXPECT_EQ(screen->ActiveControl(), screen->dbgPadrao);
  dialogs.QueueAnswer(false);
  toolkit::input::Key(*screen, toolkit::VK_F8);  // Cancelar asks first
  EXPECT_EQ(screen->data->State(), DataSetState::dsInsert);
  dialogs.QueueAnswer(true);
  toolkit::input::Click(*screen->mnuCancelar);
  EXPECT_EQ(screen->data->State(), DataSetState::dsBrowse);
  EXPECT_EQ(dialogs.Log().back().text, "Cancelar operação?");
}

TEST_F(PadraoGrid, DeleteAsksTheGeneralListAndProcurarMovesToThePick) {
  screen->Load(3);
  dialogs.QueueAnswer(true);
  toolkit::input::Click(*screen->sbtExcluir);
  EXPECT_EQ(dialogs.Log().back().text, "Confirma exclusão?");
  EXPECT_EQ(screen->data->RecordCount(), 2);
  dialogs.QueuePick(1);
  toolkit::input::Click(*screen->sbtProcurar);
  EXPECT_EQ(screen->data->FieldByName("CODIGO").AsString(), "2");
  // Only visible fields are offered.
  EXPECT_EQ(dialogs.PickedFields().back(), (std::vector<std::string>{"CODIGO"}));
}

TEST_F(PadraoGrid, EnterInTheGridMovesToTheNextColumn) {
  screen->dbgPadrao->AddColumn("CODIGO");
  screen->dbgPadrao->AddColumn("NOME");
  screen->Load(1);
  toolkit::input::Focus(*screen->dbgPadrao);
  toolkit::input::Key(*screen, toolkit::VK_RETURN);
  EXPECT_EQ(screen->dbgPadrao->SelectedIndex(), 1);
}

TEST_F(PadraoGrid, SairDisposesOfTheScreen) {
  toolkit::input::Click(*screen->sbtSair);
  EXPECT_TRUE(toolkit::Application::Instance().Forms().empty());
}

TEST_F(PadraoGrid, LookupButtonAsksThenPicksOrSaysTheListIsEmpty) {
  auto* button = new framework::TBtnPesquisa(screen);
  button->SetParent(screen->panMenu);
  button->SetDataSource(screen->dtsPadrao);
  button->SetTitle("Teste");
  button->SetEmptyText("Não há nada cadastrado.");
  int before = 0, after = 0;
  button->OnBeforePesq = [&](toolkit::Control&, bool&) {
    ++before;
    screen->Load(before == 1 ? 0 : 2);
  };
  button->OnAfterPesq = [&](toolkit::Control&) { ++after; };
  toolkit::input::Click(*button);
  EXPECT_EQ(dialogs.TakeMessages(), (std::vector<std::string>{"Não há nada cadastrado."}));
  dialogs.QueuePick(std::nullopt);
  toolkit::input::Click(*button);
  dialogs.QueuePick(1);
  toolkit::input::Click(*button);
  EXPECT_EQ(before, 3);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(screen->data->RecNo(), 2);
  button->OnBeforePesq = [&](toolkit::Control&, bool& proceed) { proceed = false; };
  toolkit::input::Click(*button);
  EXPECT_EQ(after, 1);
}

// The list opens searching for what the person typed in the lookup's
// edit, blanks around it dropped; a lookup without an edit opens whole.
TEST_F(PadraoGrid, LookupButtonOpensSearchingForWhatIsTypedInItsEdit) {
  screen->Load(3);
  auto* edit = new toolkit::Edit(screen);
  edit->SetParent(screen->panMenu);
  auto* button = new framework::TBtnPesquisa(screen);
  button->SetParent(screen->panMenu);
  button->SetDataSource(screen->dtsPadrao);
  button->SetTitle("Teste");
  button->SetEdit(edit);
  toolkit::input::Focus(*edit);
  toolkit::input::Type(*screen, " 2 ");
  dialogs.QueuePick(2);
  toolkit::input::Click(*button);
  button->SetEdit(nullptr);
  dialogs.QueuePick(std::nullopt);
  toolkit::input::Click(*button);
  EXPECT_EQ(dialogs.PickSearches(), (std::vector<std::string>{"2", ""}));
  EXPECT_EQ(screen->data->FieldByName("CODIGO").AsString(), "2");
  EXPECT_EQ(screen->ActiveControl(), edit);  // the focus stayed in the edit
}

}  // namespace
}  // namespace framework_test
