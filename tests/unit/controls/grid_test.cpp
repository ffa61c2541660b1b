// The grid as a person uses it: typing into cells, column and row changes,
// the keys that post, append, cancel and delete, leaving the grid.
#include "form_fixture.h"

#include "toolkit/controls/Input.h"
#include "toolkit/data/Abort.h"

using namespace toolkit;

namespace {

class Grid : public testutil::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    grid->AddColumn("QTPAXDE");
    grid->AddColumn("QTPAXATE");
    grid->AddColumn("QTSERVICO");
    input::Focus(*grid);
    Take();
  }
  std::string F(const char* name) { return cds->FieldByName(name).AsString(); }
  const char* State() { return testutil::StateName(cds->State()); }
};

TEST_F(Grid, TypingStartsAnEditAndReachesTheFieldOnColumnChangeAndPost) {
  input::ClickCell(*grid, 1, 2);  // QTSERVICO of 21-50
  input::Type(*form, "7");
  EXPECT_STREQ(State(), "edit");
  EXPECT_EQ(grid->CellText(1, 2), "7");  // the first character replaces the content
  EXPECT_EQ(F("QTSERVICO"), "4");        // not written yet
  input::Type(*form, ",5");
  input::Key(*form, VK_LEFT);
  EXPECT_EQ(F("QTSERVICO"), "7,5");
  input::Key(*form, VK_RIGHT);
  input::Type(*form, "8");  // a new pending text after the write
  form->ActiveControl();
  cds->Post();
  EXPECT_EQ(F("QTSERVICO"), "8");
  EXPECT_STREQ(State(), "browse");
  EXPECT_EQ(cds->ChangeCount(), 1);
}

TEST_F(Grid, RefusedColumnExitKeepsColumnAndTypedValue) {
  int enters = 0;
  grid->OnColEnter = [&](Control&) { ++enters; };
  grid->OnColExit = [&](Control&) {
    if (grid->SelectedField()->AsFloat() > 9999) Abort();
  };
  input::ClickCell(*grid, 0, 1);
  enters = 0;
  input::Type(*form, "10000");
  input::Key(*form, VK_TAB);
  EXPECT_EQ(grid->SelectedIndex(), 1);
  EXPECT_EQ(enters, 0);
  EXPECT_EQ(F("QTPAXATE"), "10000");
  EXPECT_EQ(grid->CellText(0, 1), "10000");
  EXPECT_STREQ(State(), "edit");
  input::Type(*form, "20");
  input::Key(*form, VK_TAB);
  EXPECT_EQ(grid->SelectedIndex(), 2);
  EXPECT_EQ(enters, 1);
}

TEST_F(Grid, ANumberCellTakesOnlyNumberCharactersAndBadTextStaysSelected) {
  input::ClickCell(*grid, 0, 2);
  input::Type(*form, "a1b,c,5x");
  EXPECT_EQ(grid->PendingText(), "1,,5");
  input::Key(*form, VK_TAB);
  EXPECT_EQ(dialogs.TakeMessages().size(), 1u);
  EXPECT_EQ(grid->SelectedIndex(), 2);
  EXPECT_TRUE(grid->PendingSelected());
  EXPECT_EQ(F("QTSERVICO"), "2");
  // The refused text is replaced by what is typed next, not extended.
  input::Type(*form, "4");
  EXPECT_EQ(grid->PendingText(), "4");
  EXPECT_FALSE(grid->PendingSelected());
  input::Key(*form, VK_TAB);
  EXPECT_TRUE(dialogs.TakeMessages().empty());
  EXPECT_EQ(F("QTSERVICO"), "4");
}

TEST_F(Grid, EscCancelsTheEdit) {
  input::ClickCell(*grid, 0, 2);
  input::Type(*form, "9");
  input::Key(*form, VK_LEFT);
  input::Key(*form, VK_ESCAPE);
  EXPECT_STREQ(State(), "browse");
  EXPECT_EQ(F("QTSERVICO"), "2");
  EXPECT_FALSE(grid->HasPendingText());
}

TEST_F(Grid, DownOnTheLastRowAppendsOnce) {
  cds->Last();
  input::Key(*form, VK_DOWN);
  EXPECT_STREQ(State(), "insert");
  EXPECT_EQ(grid->RowCount(), 4);
  input::Key(*form, VK_DOWN);  // an untouched new row: no second one
  EXPECT_EQ(grid->RowCount(), 4);
  input::Key(*form, VK_UP);    // leaving it untouched drops it
  EXPECT_STREQ(State(), "browse");
  EXPECT_EQ(grid->RowCount(), 3);
}

TEST_F(Grid, UpAndDownPostFirstAndStopWhenRefused) {
  input::ClickCell(*grid, 0, 2);
  input::Type(*form, "3");
  input::Key(*form, VK_DOWN);
  EXPECT_EQ(F("QTSERVICO"), "4");  // on row 21-50 now
  cds->Prior();
  EXPECT_EQ(F("QTSERVICO"), "3");

  cds->BeforePost = [](DataSet&) { throw std::runtime_error("Qtde serviço deve ser informado."); };
  input::Type(*form, "5");
  input::Key(*form, VK_DOWN);
  EXPECT_EQ(dialogs.TakeMessages(), std::vector<std::string>{"Qtde serviço deve ser informado."});
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_STREQ(State(), "edit");
  EXPECT_EQ(F("QTSERVICO"), "5");  // the value written before the post stays
}

TEST_F(Grid, CancelOnExitDropsOnlyAnUntouchedInsertedRow) {
  input::Key(*form, VK_INSERT);
  EXPECT_STREQ(State(), "insert");
  input::Focus(*edtC);
  EXPECT_STREQ(State(), "browse");
  EXPECT_EQ(cds->RecordCount(), 3);

  input::Focus(*grid);
  input::Key(*form, VK_INSERT);
  input::Type(*form, "60");
  input::Focus(*edtC);  // typed into: the text is written, the row stays open
  EXPECT_STREQ(State(), "insert");
  EXPECT_EQ(F("QTPAXDE"), "60");
}

TEST_F(Grid, CtrlDeleteAsksAndDeletes) {
  dialogs.QueueAnswer(false);
  input::Key(*form, VK_DELETE, ssCtrl);
  EXPECT_EQ(cds->RecordCount(), 3);
  dialogs.QueueAnswer(true);
  input::Key(*form, VK_DELETE, ssCtrl);
  EXPECT_EQ(cds->RecordCount(), 2);
  ASSERT_EQ(dialogs.Log().size(), 2u);
  EXPECT_EQ(dialogs.Log()[1].text, "Excluir registro?");
  input::Key(*form, VK_DELETE);  // without Ctrl: nothing
  EXPECT_EQ(cds->RecordCount(), 2);
}

TEST_F(Grid, ReadOnlyColumnsTakeNoTyping) {
  grid->Columns(0).SetReadOnly(true);
  input::ClickCell(*grid, 0, 0);
  input::Type(*form, "5");
  EXPECT_STREQ(State(), "browse");
  EXPECT_FALSE(grid->HasPendingText());
}

TEST_F(Grid, FieldFocusControlSelectsItsColumn) {
  input::Focus(*edtC);
  cds->FieldByName("QTPAXATE").FocusControl();
  EXPECT_EQ(form->ActiveControl(), grid);
  EXPECT_EQ(grid->SelectedIndex(), 1);
  // A grid that cannot take the focus is left alone.
  input::Focus(*edtC);
  grid->SetEnabled(false);
  cds->FieldByName("QTPAXDE").FocusControl();
  EXPECT_EQ(form->ActiveControl(), edtC);
  EXPECT_EQ(grid->SelectedIndex(), 1);
}

TEST_F(Grid, EditMaskOfTheFieldAppliesToTyping) {
  cds->FieldByName("CDSERVICO").SetVisible(true);
  cds->FieldByName("CDSERVICO").SetEditMask("99.99;1;_");
  grid->AddColumn("CDSERVICO");
  input::ClickCell(*grid, 0, 3);
  input::Type(*form, "1a23");
  EXPECT_EQ(grid->CellText(0, 3), "12.3_");
  input::Key(*form, VK_RETURN);
  EXPECT_EQ(F("CDSERVICO"), "12.3");
}

TEST_F(Grid, EllipsisButtonOnlyWhereTheColumnShowsIt) {
  int clicks = 0;
  grid->OnEditButtonClick = [&](Control&) { ++clicks; };
  input::EditButton(*grid);
  EXPECT_EQ(clicks, 0);
  grid->Columns(0).SetButtonStyle(ButtonStyle::cbsEllipsis);
  input::ClickCell(*grid, 0, 0);
  input::EditButton(*grid);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
