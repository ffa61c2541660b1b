// The focus rule: order of exits and enters through nested containers,
// aborting exit handlers, focus asked for inside a change, and who may take
// the focus.
#include "form_fixture.h"

#include "toolkit/controls/Input.h"
#include "toolkit/data/Abort.h"

using namespace toolkit;

namespace {

using Focus = testutil::FormTest;

TEST_F(Focus, ExitsInnerToOuterThenEntersOuterToInner) {
  edtA->SetFocus();
  EXPECT_EQ(Take(), "enter panHeader, enter edtA");
  edtB->SetFocus();
  EXPECT_EQ(Take(), "exit edtA, enter edtB");  // same panel: no container events
  grid->SetFocus();
  EXPECT_EQ(Take(), "exit edtB, exit panHeader, enter panData, enter scbData, enter grid");
  edtC->SetFocus();
  EXPECT_EQ(Take(), "exit grid, enter edtC");
  EXPECT_EQ(form->ActiveControl(), edtC);
}

TEST_F(Focus, ActiveControlIsAlreadyTheTargetInsideExitHandlers) {
  edtA->SetFocus();
  Control* seenInControl = nullptr;
  Control* seenInPanel = nullptr;
  edtA->OnExit = [&](Control&) { seenInControl = form->ActiveControl(); };
  panHeader->OnExit = [&](Control&) { seenInPanel = form->ActiveControl(); };
  grid->SetFocus();
  EXPECT_EQ(seenInControl, grid);
  EXPECT_EQ(seenInPanel, grid);
}

TEST_F(Focus, AbortingExitKeepsFocusAndSkipsTheRest) {
  edtA->SetFocus();
  Take();
  edtA->OnExit = [&](Control&) { log.push_back("exit edtA"); Abort(); };
  EXPECT_THROW(grid->SetFocus(), EAbort);
  EXPECT_EQ(Take(), "exit edtA");
  EXPECT_EQ(form->ActiveControl(), edtA);

  // A container refusing after the control's exit ran: same outcome.
  edtA->OnExit = [&](Control&) { log.push_back("exit edtA"); };
  panHeader->OnExit = [&](Control&) { log.push_back("exit panHeader"); Abort(); };
  input::Focus(*grid);  // the input layer swallows the abort
  EXPECT_EQ(Take(), "exit edtA, exit panHeader");
  EXPECT_EQ(form->ActiveControl(), edtA);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(Focus, FocusAskedForByAnAbortingHandlerWins) {
  // The header's exit finds the second entry at fault: it focuses it and
  // aborts. The focus ends there, with only its own enter run.
  edtA->SetFocus();
  Take();
  panHeader->OnExit = [&](Control&) {
    log.push_back("exit panHeader");
    edtB->SetFocus();
    Abort();
  };
  input::Focus(*grid);
  EXPECT_EQ(Take(), "exit edtA, exit panHeader, enter edtB");
  EXPECT_EQ(form->ActiveControl(), edtB);
}

TEST_F(Focus, FocusAskedForWithoutAbortReplacesTheTarget) {
  edtA->SetFocus();
  Take();
  // An entering handler sends the focus on: the chain goes on with the enters
  // of the new target only, no second chain.
  grid->OnEnter = [&](Control&) {
    log.push_back("enter grid");
    edtC->SetFocus();
  };
  grid->SetFocus();
  EXPECT_EQ(Take(), "exit edtA, exit panHeader, enter panData, enter scbData, enter grid, enter edtC");
  EXPECT_EQ(form->ActiveControl(), edtC);

  // Asked for during the exits: the exits still owed run against the new
  // target (the header panel stays, so it gets no exit).
  edtC->OnExit = [&](Control&) {
    log.push_back("exit edtC");
    edtB->SetFocus();
  };
  grid->OnEnter = nullptr;
  grid->SetFocus();
  EXPECT_EQ(Take(), "exit edtC, exit scbData, exit panData, enter panHeader, enter edtB");
  EXPECT_EQ(form->ActiveControl(), edtB);
}

TEST_F(Focus, WhoMayTakeTheFocus) {
  edtB->SetEnabled(false);
  EXPECT_FALSE(edtB->CanFocus());
  EXPECT_THROW(edtB->SetFocus(), EInvalidOperation);
  edtB->SetEnabled(true);
  panHeader->SetEnabled(false);
  EXPECT_FALSE(edtB->CanFocus());
  EXPECT_THROW(edtA->SetFocus(), EInvalidOperation);
  panHeader->SetEnabled(true);
  panData->SetVisible(false);
  EXPECT_FALSE(grid->CanFocus());
  EXPECT_FALSE(btnGo->CanFocus());  // buttons never
  EXPECT_THROW(btnGo->SetFocus(), EInvalidOperation);
  EXPECT_TRUE(log.empty());

  // A click on a button leaves the focus where it was.
  edtA->SetFocus();
  int clicks = 0;
  btnGo->OnClick = [&](Control&) { ++clicks; };
  input::Click(*btnGo);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(form->ActiveControl(), edtA);
  btnGo->SetEnabled(false);
  input::Click(*btnGo);
  EXPECT_EQ(clicks, 1);
}

TEST_F(Focus, TabFollowsTabOrderAcrossContainers) {
  edtB->SetTabOrder(0);  // edtB before edtA inside the header
  edtA->SetFocus();
  input::Key(*form, VK_TAB);
  EXPECT_EQ(form->ActiveControl(), grid);
  input::Key(*form, VK_TAB, ssShift);  // the grid wants Tab, so Shift+Tab stays in it
  EXPECT_EQ(form->ActiveControl(), grid);
  edtC->SetFocus();
  input::Key(*form, VK_TAB);
  EXPECT_EQ(form->ActiveControl(), edtB);  // wraps to the first
  edtA->SetTabStop(false);
  input::Key(*form, VK_TAB);
  EXPECT_EQ(form->ActiveControl(), grid);
}

TEST_F(Focus, ActivationKeepsTheFocusWithoutEvents) {
  Form other;
  other.SetName("frmOther");
  form->Show();
  int activations = 0;
  form->OnActivate = [&](Control&) { ++activations; };
  edtB->SetFocus();
  Take();
  input::SwitchAway(*form, other);
  EXPECT_EQ(activations, 1);
  EXPECT_EQ(form->ActiveControl(), edtB);
  EXPECT_EQ(Take(), "");
}

TEST_F(Focus, DestroyedControlLeavesNoDanglingFocus) {
  edtC->SetFocus();
  delete scbData;  // the focused entry leaves the form's tree
  EXPECT_EQ(form->ActiveControl(), nullptr);
  edtA->SetFocus();
  EXPECT_EQ(form->ActiveControl(), edtA);
}

}  // namespace
