// Entries: change events, masks, character case, length; combo boxes.
#include "form_fixture.h"

#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Input.h"

using namespace toolkit;

namespace {

using Edits = testutil::FormTest;

TEST_F(Edits, OnChangeOnlyWhenTheTextReallyChanges) {
  int changes = 0;
  edtB->OnChange = [&](Control&) { ++changes; };
  edtB->SetText("ABC");
  edtB->SetText("ABC");
  EXPECT_EQ(changes, 1);
  edtB->SetFocus();
  input::Type(*form, "D");
  EXPECT_EQ(changes, 2);
  input::Key(*form, VK_END);
  input::Key(*form, VK_DELETE);  // nothing after the caret
  EXPECT_EQ(changes, 2);
  edtB->SetText("");
  EXPECT_EQ(changes, 3);
  edtB->SetReadOnly(true);
  input::Type(*form, "x");
  EXPECT_EQ(changes, 3);
}

TEST_F(Edits, SelectionIsReplacedByTyping) {
  edtB->SetText("São Paulo");
  EXPECT_EQ(edtB->TextLength(), 9);  // characters, not bytes
  input::SelectText(*edtB, 0, 3);
  input::Type(*form, "Rio");
  EXPECT_EQ(edtB->Text(), "Rio Paulo");
  edtB->SelectAll();
  input::Key(*form, VK_DELETE);
  EXPECT_EQ(edtB->Text(), "");
}

TEST_F(Edits, BranchMaskUpperCasesRefusesPunctuationStopsAtFour) {
  edtA->SetEditMask(">aaaa;0; ");
  edtA->SetMaxLength(4);
  int changes = 0;
  edtA->OnChange = [&](Control&) { ++changes; };
  edtA->SetFocus();
  input::Type(*form, "ab-c.1d");
  EXPECT_EQ(edtA->Text(), "ABC1");
  EXPECT_EQ(changes, 4);
  input::Key(*form, VK_BACK);
  EXPECT_EQ(edtA->Text(), "ABC");
  edtA->SetText("xy");  // from the program: the mask applies too
  EXPECT_EQ(edtA->Text(), "XY");
  EXPECT_EQ(edtA->EditText(), "XY  ");
}

TEST_F(Edits, PictureMaskKeepsLiteralsInPlace) {
  edtA->SetEditMask("99.99.999;1;_");
  edtA->SetFocus();
  input::Type(*form, "0102");
  EXPECT_EQ(edtA->EditText(), "01.02.___");
  EXPECT_EQ(edtA->Text(), "01.02.");
  input::Type(*form, "003x4");  // the letter is refused, the fourth digit has no place
  EXPECT_EQ(edtA->Text(), "01.02.003");
  edtA->SetText("01.02.003");
  EXPECT_EQ(edtA->EditText(), "01.02.003");
  edtA->SetText("");
  EXPECT_EQ(edtA->Text(), "");
  EXPECT_EQ(edtA->EditText(), "__.__.___");
  EXPECT_THROW(edtA->SetEditMask("99\\"), std::invalid_argument);
  EXPECT_THROW(edtA->SetEditMask("99;2;_"), std::invalid_argument);
}

TEST_F(Edits, AirlineCodeUpperCaseAndMaxLength) {
  edtA->SetCharCase(CharCase::ecUpperCase);
  edtA->SetMaxLength(5);
  edtA->SetFocus();
  input::Type(*form, "aéreo1");
  EXPECT_EQ(edtA->Text(), "AÉREO");
}

TEST_F(Edits, ComboBoxSelection) {
  auto* cbb = Make<ComboBox>("cbbTrecho", panHeader);
  int changes = 0;
  cbb->OnChange = [&](Control&) { ++changes; };
  EXPECT_EQ(cbb->ItemIndex(), -1);
  EXPECT_EQ(cbb->Text(), "");
  cbb->AddItem("0001 GRU-GIG");
  cbb->AddItem("0002 GIG-BSB");
  cbb->SetItemIndex(1);
  EXPECT_EQ(cbb->Text(), "0002 GIG-BSB");
  EXPECT_EQ(changes, 0);  // the program chose
  EXPECT_THROW(cbb->SetItemIndex(2), std::out_of_range);
  input::Choose(*cbb, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form->ActiveControl(), cbb);
  input::Key(*form, VK_DOWN);
  EXPECT_EQ(cbb->ItemIndex(), 1);
  input::Type(*form, "0");  // the next item starting with it
  EXPECT_EQ(cbb->ItemIndex(), 0);
  cbb->Clear();
  EXPECT_EQ(cbb->ItemCount(), 0);
  EXPECT_EQ(cbb->ItemIndex(), -1);
  EXPECT_EQ(cbb->Text(), "");
}

}  // namespace
