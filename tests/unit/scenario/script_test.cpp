// Reading scenario scripts, key names and the database's number format.
#include <gtest/gtest.h>

#include "scenario/Keys.h"
#include "scenario/Script.h"

namespace scenario {
std::string DbNumber(double value);
}

namespace {

using scenario::ParseScript;

TEST(Script, WordsStringsCommentsAndLines) {
  auto commands = ParseScript(
      "# set-up\n"
      "seed demo\n"
      "\n"
      "type medSgCia \"AS \\\"UL\\\" \\\\\"   # trailing comment\n"
      "expect message \"a # b\"\n");
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].line, 2);
  EXPECT_EQ(commands[1].line, 4);
  ASSERT_EQ(commands[1].words.size(), 3u);
  EXPECT_EQ(commands[1].words[2].text, "AS \"UL\" \\");
  EXPECT_TRUE(commands[1].words[2].quoted);
  EXPECT_FALSE(commands[1].words[1].quoted);
  EXPECT_EQ(commands[2].words[2].text, "a # b");
  EXPECT_EQ(ParseScript("type x \"\"")[0].words[2].text, "");
}

TEST(Script, BadStringsNameTheirLine) {
  try {
    ParseScript("open\nexpect text x \"never closed\n");
    FAIL();
  } catch (const scenario::ScriptError& e) {
    EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos);
  }
  EXPECT_THROW(ParseScript("type x \"\\n\""), scenario::ScriptError);
}

TEST(Keys, NamesAndModifiers) {
  auto k = scenario::ParseKey("Alt+Ctrl+PageDown");
  EXPECT_EQ(k.key, toolkit::VK_NEXT);
  EXPECT_EQ(k.shift, toolkit::ssAlt | toolkit::ssCtrl);
  EXPECT_EQ(scenario::ParseKey("F9").key, toolkit::VK_F9);
  EXPECT_EQ(scenario::ParseKey("a").key, 'A');
  EXPECT_EQ(scenario::ParseKey("Shift+Tab").shift, toolkit::ssShift);
  EXPECT_THROW(scenario::ParseKey("Meta+A"), std::invalid_argument);
  EXPECT_THROW(scenario::ParseKey("F13"), std::invalid_argument);
}

TEST(DbNumbers, WholeWithoutDecimalsOthersShortest) {
  EXPECT_EQ(scenario::DbNumber(20.0), "20");
  EXPECT_EQ(scenario::DbNumber(-3.0), "-3");
  EXPECT_EQ(scenario::DbNumber(0.1), "0.1");
  EXPECT_EQ(scenario::DbNumber(2.5), "2.5");
}

}  // namespace
