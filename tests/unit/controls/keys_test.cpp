// Routing of keys and characters: form preview first, then the control's
// handlers, then its own handling; a key or character set to 0 goes no
// further. Errors and aborts at the outermost level.
#include "form_fixture.h"

#include "toolkit/controls/Input.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/Abort.h"

using namespace toolkit;

namespace {

using Keys = testutil::FormTest;

TEST_F(Keys, PreviewConsumesAltPageDown) {
  form->SetKeyPreview(true);
  form->OnKeyDown = [&](Control&, Word& key, ShiftState shift) {
    log.push_back("form " + std::to_string(key));
    if ((shift & ssAlt) && key == VK_NEXT) {
      key = 0;
      grid->SetFocus();
    }
  };
  edtA->OnKeyDown = [&](Control&, Word& key, ShiftState) { log.push_back("edtA " + std::to_string(key)); };
  edtA->SetFocus();
  Take();
  input::Key(*form, VK_NEXT, ssAlt | ssCtrl);
  EXPECT_EQ(Take(), "form 34, exit edtA, exit panHeader, enter panData, enter scbData, enter grid");
  EXPECT_EQ(form->ActiveControl(), grid);

  edtA->SetFocus();
  Take();
  input::Key(*form, VK_NEXT);  // without Alt: passes on to the control
  EXPECT_EQ(Take(), "form 34, edtA 34");
}

TEST_F(Keys, CharacterDiscardedByAHandlerReachesNobody) {
  edtB->SetFocus();
  edtB->OnKeyPress = [](Control&, char32_t& key) {
    if (key == '5') key = 0;
    else if (key >= 'a' && key <= 'z') key -= 32;
  };
  input::Type(*form, "a5b");
  EXPECT_EQ(edtB->Text(), "AB");
  edtB->OnKeyDown = [](Control&, Word& key, ShiftState) {
    if (key == VK_DELETE || key == 'C') key = 0;
  };
  input::Key(*form, VK_HOME);
  input::Key(*form, VK_DELETE);
  input::Type(*form, "c");
  EXPECT_EQ(edtB->Text(), "AB");
  input::Key(*form, VK_END);
  input::Key(*form, VK_BACK);  // arrives as character 8
  EXPECT_EQ(edtB->Text(), "A");
}

TEST_F(Keys, MenuShortCutClicksOnlyWhenEnabled) {
  auto* menu = new MainMenu(form);
  auto* top = new MenuItem(form);
  auto* item = new MenuItem(form);
  menu->Add(top);
  top->Add(item);
  form->SetMenu(menu);
  item->SetShortCut(VK_F9);
  int clicks = 0;
  item->OnClick = [&](MenuItem&) { ++clicks; };
  edtA->SetFocus();
  input::Key(*form, VK_F9);
  EXPECT_EQ(clicks, 1);
  top->SetEnabled(false);
  input::Key(*form, VK_F9);
  input::Click(*item);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Keys, OutermostLevelShowsErrorsAndSwallowsAborts) {
  btnGo->OnClick = [](Control&) { Abort(); };
  input::Click(*btnGo);
  EXPECT_TRUE(dialogs.Messages().empty());
  btnGo->OnClick = [](Control&) { throw std::runtime_error("Servidor indisponível"); };
  input::Click(*btnGo);
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Servidor indisponível"});
}

TEST_F(Keys, CloseDisposesOfTheFormAfterTheAction) {
  bool destroyed = false;
  form->OnDestroy = [&](Control&) { destroyed = true; };
  CloseAction seen = CloseAction::caNone;
  form->OnClose = [&](Control&, CloseAction& action) { seen = action; };
  btnGo->OnClick = [&](Control&) {
    form->Close();
    EXPECT_FALSE(destroyed);  // still alive inside its own handler
  };
  input::Click(*btnGo);
  EXPECT_EQ(seen, CloseAction::caFree);
  EXPECT_TRUE(destroyed);
  EXPECT_TRUE(Application::Instance().Forms().empty());
  form = nullptr;
}

TEST_F(Keys, CloseActionCanKeepOrMinimize) {
  form->OnClose = [](Control&, CloseAction& action) { action = CloseAction::caMinimize; };
  input::CloseForm(*form);
  EXPECT_EQ(form->WindowState(), WindowState::wsMinimized);
  form->OnClose = [](Control&, CloseAction& action) { action = CloseAction::caNone; };
  input::CloseForm(*form);
  EXPECT_EQ(Application::Instance().Forms().size(), 1u);
}

TEST_F(Keys, ModalFormRunsThroughTheDialogService) {
  Form& modal = Application::Instance().CreateForm<Form>();
  modal.SetName("frmModal");
  dialogs.QueueModal([](Form& f) { f.SetModalResult(mrOk); });
  EXPECT_EQ(modal.ShowModal(), mrOk);
  EXPECT_FALSE(modal.Visible());
  // An action that leaves the form open is a failure, not a silent pass.
  dialogs.QueueModal([](Form&) {});
  EXPECT_THROW(modal.ShowModal(), std::logic_error);
  EXPECT_THROW(modal.ShowModal(), std::logic_error);  // nothing queued
}

}  // namespace
