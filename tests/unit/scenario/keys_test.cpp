// Key names with modifiers.
#include <gtest/gtest.h>

#include "scenario/KeyNames.h"

namespace {

using scenario::ParseKeys;
using namespace toolkit;

TEST(Keys, NamedKeysAndModifiers) {
  EXPECT_EQ(ParseKeys("Alt+PageDown").key, VK_NEXT);
  EXPECT_EQ(ParseKeys("Alt+PageDown").shift, ShiftState{ssAlt});
  EXPECT_EQ(ParseKeys("Alt+PageUp").key, VK_PRIOR);
  const auto ctrlAlt = ParseKeys("Ctrl+Alt+Delete");
  EXPECT_EQ(ctrlAlt.key, VK_DELETE);
  EXPECT_EQ(ctrlAlt.shift, ShiftState{ssAlt | ssCtrl});
  EXPECT_EQ(ParseKeys("Shift+Tab").shift, ShiftState{ssShift});
  EXPECT_EQ(ParseKeys("Tab").shift, 0u);
  EXPECT_EQ(ParseKeys("Enter").key, VK_RETURN);
  EXPECT_EQ(ParseKeys("Esc").key, VK_ESCAPE);
  EXPECT_EQ(ParseKeys("Backspace").key, VK_BACK);
  EXPECT_EQ(ParseKeys("Insert").key, VK_INSERT);
  EXPECT_EQ(ParseKeys("Up").key, VK_UP);
  EXPECT_EQ(ParseKeys("Down").key, VK_DOWN);
}

TEST(Keys, NamesIgnoreCase) {
  EXPECT_EQ(ParseKeys("alt+pagedown").key, VK_NEXT);
  EXPECT_EQ(ParseKeys("CTRL+delete").shift, ShiftState{ssCtrl});
}

TEST(Keys, FunctionKeysLettersAndDigits) {
  EXPECT_EQ(ParseKeys("F1").key, VK_F1);
  EXPECT_EQ(ParseKeys("F9").key, VK_F9);
  EXPECT_EQ(ParseKeys("f12").key, VK_F12);
  EXPECT_EQ(ParseKeys("a").key, Word{'A'});
  EXPECT_EQ(ParseKeys("Z").key, Word{'Z'});
  EXPECT_EQ(ParseKeys("7").key, Word{'7'});
  EXPECT_EQ(ParseKeys("Ctrl+S").shift, ShiftState{ssCtrl});
}

TEST(Keys, BadNamesAreRefused) {
  for (const char* bad : {"", "F0", "F13", "F01", "Meta+A", "Alt+", "+A", "Alt+Alt+A", "PgDn", "AB", "Alt++"})
    EXPECT_THROW(ParseKeys(bad), std::invalid_argument) << bad;
}

}  // namespace
