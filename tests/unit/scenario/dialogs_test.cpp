// The runner's dialog service: questions nobody answered fail the script
// instead of being shown as errors, answers and picks are used in order,
// messages keep the line that showed them.
#include <gtest/gtest.h>

#include "scenario/Failure.h"
#include "scenario/ScenarioDialogs.h"
#include "toolkit/data/ClientDataSet.h"
#include "toolkit/controls/Form.h"

namespace {

using scenario::ScenarioDialogs;
using scenario::ScriptFailure;

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ScriptFailure& f) {
    return f.what;
  }
  ADD_FAILURE() << "no failure";
  return {};
}

TEST(Dialogs, ConfirmationsTakeTheQueuedAnswersInOrder) {
  ScenarioDialogs dialogs;
  dialogs.QueueAnswer(true, 3);
  dialogs.QueueAnswer(false, 4);
  EXPECT_TRUE(dialogs.Confirm("Excluir registro?"));
  EXPECT_FALSE(dialogs.Confirm("Cancelar operação?"));
  EXPECT_TRUE(dialogs.Answers().empty());
}

TEST(Dialogs, AnUnansweredConfirmationFailsWithItsText) {
  ScenarioDialogs dialogs;
  const std::string what = FailureOf([&] { dialogs.Confirm("Confirma exclusão?"); });
  EXPECT_NE(what.find("Confirma exclusão?"), std::string::npos) << what;
  // Not a std::exception, so that no outermost handler turns it into a message.
  try {
    dialogs.Confirm("again");
  } catch (const std::exception&) {
    ADD_FAILURE() << "the failure is a std::exception";
  } catch (const ScriptFailure&) {
  }
}

class PickList : public ::testing::Test {
 protected:
  void SetUp() override {
    data.AddStringField("CODE", 4);
    data.CreateDataSet();
    for (const char* code : {"A", "B", "C"}) {
      data.Append();
      data.FieldByName("CODE").SetAsString(code);
      data.Post();
    }
    data.First();
  }
  toolkit::ClientDataSet data;
  ScenarioDialogs dialogs;
};

TEST_F(PickList, PicksMoveToTheirRowOrPickNothing) {
  dialogs.QueuePick(2, 1);
  dialogs.QueuePick(std::nullopt, 2);
  EXPECT_TRUE(dialogs.PickRow("Companhia", data, {}));
  EXPECT_EQ(data.FieldByName("CODE").AsString(), "C");
  EXPECT_FALSE(dialogs.PickRow("Companhia", data, {}));
  EXPECT_EQ(data.FieldByName("CODE").AsString(), "C");
}

TEST_F(PickList, MissingOrImpossiblePicksFail) {
  EXPECT_NE(FailureOf([&] { dialogs.PickRow("Filial", data, {}); }).find("Filial"), std::string::npos);
  dialogs.QueuePick(3, 1);
  const std::string what = FailureOf([&] { dialogs.PickRow("Filial", data, {}); });
  EXPECT_NE(what.find("no row 3"), std::string::npos) << what;
  EXPECT_EQ(data.FieldByName("CODE").AsString(), "A");
}

TEST(Dialogs, MessagesAreCheckedInOrderWithTheLineThatShowedThem) {
  ScenarioDialogs dialogs;
  int line = 5;
  dialogs.SetLineSource([&] { return line; });
  dialogs.ShowError("first");
  line = 9;
  dialogs.ShowInformation("second");
  const auto first = dialogs.TakeMessage();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->text, "first");
  EXPECT_EQ(first->line, 5);
  EXPECT_TRUE(first->error);
  ASSERT_EQ(dialogs.Unchecked().size(), 1u);
  EXPECT_EQ(dialogs.Unchecked().front().line, 9);
  EXPECT_EQ(dialogs.TakeMessage()->text, "second");
  EXPECT_FALSE(dialogs.TakeMessage());
}

TEST(Dialogs, AModalFormRunsThroughTheRunnerAndEndsEvenWhenItFails) {
  ScenarioDialogs dialogs;
  toolkit::Form form;
  form.SetName("frmRel");
  EXPECT_THROW(dialogs.RunModal(form), std::logic_error);
  dialogs.SetModalRunner([](toolkit::Form& f) {
    EXPECT_TRUE(f.Modal());
    f.SetModalResult(toolkit::mrOk);
  });
  EXPECT_EQ(dialogs.RunModal(form), toolkit::mrOk);
  dialogs.SetModalRunner([](toolkit::Form&) { scenario::Fail("check failed inside"); });
  FailureOf([&] { dialogs.RunModal(form); });
  EXPECT_FALSE(form.Modal());
}

}  // namespace
