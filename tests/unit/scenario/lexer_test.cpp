// Cutting script lines into words: quotes, escapes, comments and the line
// numbers of bad lines.
#include <gtest/gtest.h>

#include "scenario/Lexer.h"

namespace {

using scenario::LexLine;
using scenario::SyntaxError;

std::vector<std::string> Texts(const std::vector<scenario::Token>& tokens) {
  std::vector<std::string> out;
  for (const auto& t : tokens) out.push_back(t.text);
  return out;
}

TEST(Lexer, WordsAreSeparatedByAnyBlanks) {
  EXPECT_EQ(Texts(LexLine("  expect\ttext   medSgCia \r", 1)), (std::vector<std::string>{"expect", "text", "medSgCia"}));
  EXPECT_TRUE(LexLine("", 1).empty());
  EXPECT_TRUE(LexLine(" \t ", 1).empty());
}

TEST(Lexer, QuotedStringsKeepBlanksAndHashesAndMayBeEmpty) {
  const auto tokens = LexLine("type x \"a  # b\" \"\"", 1);
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[2].text, "a  # b");
  EXPECT_TRUE(tokens[2].quoted);
  EXPECT_EQ(tokens[3].text, "");
  EXPECT_TRUE(tokens[3].quoted);
  EXPECT_FALSE(tokens[1].quoted);
}

TEST(Lexer, EscapesQuoteAndBackslashOnly) {
  EXPECT_EQ(LexLine(R"("say \"hi\"")", 1)[0].text, "say \"hi\"");
  EXPECT_EQ(LexLine(R"("C:\\dir\\")", 1)[0].text, "C:\\dir\\");
  try {
    LexLine(R"(type x "a\nb")", 7);
    FAIL() << "an unknown escape was accepted";
  } catch (const SyntaxError& e) {
    EXPECT_EQ(e.Line(), 7);
    EXPECT_NE(std::string(e.what()).find("\\n"), std::string::npos);
  }
}

TEST(Lexer, CommentsEndTheLineOutsideQuotes) {
  EXPECT_EQ(Texts(LexLine("open # opens the screen", 1)), (std::vector<std::string>{"open"}));
  EXPECT_TRUE(LexLine("# only a comment \"with an open quote", 1).empty());
  EXPECT_EQ(Texts(LexLine("click sbtIncluir#no blank before", 1)), (std::vector<std::string>{"click", "sbtIncluir"}));
}

TEST(Lexer, AdjacentPartsFormOneWord) {
  const auto tokens = LexLine("host DBPict=\"99.99 999\" FiliProc=0002", 1);
  ASSERT_EQ(tokens.size(), 3u);
  EXPECT_EQ(tokens[1].text, "DBPict=99.99 999");
  EXPECT_TRUE(tokens[1].quoted);
  EXPECT_EQ(tokens[2].text, "FiliProc=0002");
  EXPECT_FALSE(tokens[2].quoted);
}

TEST(Lexer, UnterminatedStringsNameTheirLine) {
  for (const char* text : {"expect text x \"never closed", "sql \"ends in a backslash\\", "\"\\\""}) {
    try {
      LexLine(text, 12);
      FAIL() << "accepted: " << text;
    } catch (const SyntaxError& e) {
      EXPECT_EQ(e.Line(), 12) << text;
      EXPECT_NE(std::string(e.what()).find("unterminated"), std::string::npos) << text;
    }
  }
}

}  // namespace
