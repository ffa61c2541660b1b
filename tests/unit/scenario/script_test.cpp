// Reading whole scripts: verbs of one to three words, the grammar of their
// arguments, and the line numbers of the lines that do not fit.
#include <gtest/gtest.h>

#include "scenario/Context.h"
#include "scenario/Script.h"

namespace {

using scenario::ParseScript;
using scenario::SyntaxError;

// The line and text of the error the script raises.
std::pair<int, std::string> ErrorOf(std::string_view text) {
  try {
    ParseScript(text, "t.scn");
  } catch (const SyntaxError& e) {
    return {e.Line(), e.what()};
  }
  ADD_FAILURE() << "accepted: " << text;
  return {0, ""};
}

bool Mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(Script, CommandsKeepTheirLinesPastBlankAndCommentLines) {
  const auto script = ParseScript(
      "# set-up\n"
      "seed demo\n"
      "\n"
      "   # indented comment\n"
      "host ModuFili=true FiliProc=0003\r\n"
      "open\n"
      "expect text edtfilial \"0003\"   # trailing",
      "t.scn");
  ASSERT_EQ(script.commands.size(), 4u);
  EXPECT_EQ(script.commands[0].line, 2);
  EXPECT_EQ(script.commands[1].line, 5);
  EXPECT_EQ(script.commands[1].args.size(), 2u);
  EXPECT_EQ(script.commands[2].line, 6);
  EXPECT_EQ(script.commands[3].line, 7);
  EXPECT_EQ(script.commands[3].verb, "expect text");
  EXPECT_EQ(script.file, "t.scn");
}

TEST(Script, LongestVerbWins) {
  const auto script = ParseScript(
      "expect no message\nexpect message *\nexpect message \"x\"\nserver stop\nserver start\nreset calls\n"
      "expect calls GetQtdePropServico 1\nexpect call GetQtdePropServico \"0001\" \"\"\n",
      "t.scn");
  std::vector<std::string> verbs;
  for (const auto& c : script.commands) verbs.push_back(c.verb);
  EXPECT_EQ(verbs, (std::vector<std::string>{"expect no message", "expect message", "expect message", "server stop",
                                             "server start", "reset calls", "expect calls", "expect call"}));
  EXPECT_FALSE(script.commands[1].args[0].quoted);
  EXPECT_EQ(script.commands[7].args.size(), 3u);
}

TEST(Script, UnknownVerbsNameTheirLine) {
  auto [line, what] = ErrorOf("open\n\nfrobnicate medSgCia\n");
  EXPECT_EQ(line, 3);
  EXPECT_TRUE(Mentions(what, "frobnicate")) << what;
  std::tie(line, what) = ErrorOf("open\nexpect colour medSgCia red\n");
  EXPECT_EQ(line, 2);
  EXPECT_TRUE(Mentions(what, "expect colour")) << what;
  std::tie(line, what) = ErrorOf("server restart");
  EXPECT_EQ(line, 1);
  EXPECT_TRUE(Mentions(what, "server restart")) << what;
  EXPECT_EQ(ErrorOf("\"open\"").first, 1);
}

TEST(Script, ArgumentCountsAreChecked) {
  auto [line, what] = ErrorOf("open\ntype medSgCia\n");
  EXPECT_EQ(line, 2);
  EXPECT_TRUE(Mentions(what, "missing")) << what;
  EXPECT_TRUE(Mentions(what, "type NAME \"text\"")) << what;
  std::tie(line, what) = ErrorOf("open now");
  EXPECT_TRUE(Mentions(what, "too many")) << what;
  EXPECT_TRUE(Mentions(ErrorOf("host").second, "missing"));
  // Repeated arguments may also be none.
  EXPECT_NO_THROW(ParseScript("expect items cbbTrecho\nexpect call GetMaiorPax", "t.scn"));
}

TEST(Script, ArgumentKindsAreChecked) {
  const std::vector<std::pair<const char*, const char*>> bad = {
      {"type medSgCia ASUL", "quoted string"},
      {"expect text \"medSgCia\" \"x\"", "name"},
      {"expect enabled sbtIncluir yes", "true or false"},
      {"expect rows cdsQtdePropServico -1", "from 0"},
      {"expect tag edtfilial 9x", "whole number"},
      {"expect state cdsQtdePropServico open", "inactive|browse|edit|insert"},
      {"answer maybe", "yes|no"},
      {"pick first", "row number or none"},
      {"seed sample", "demo or a quoted file"},
      {"host ModuFili", "KEY=VALUE"},
      {"key medSgCia Meta+A", "Meta"},
      {"expect field cdsQtdePropServico \"1\"", "DATASET.FIELD"},
      {"expect message text", "or *"},
      {"expect column dbgPadrao CDARVPROD editable button", "none|ellipsis"},
  };
  for (const auto& [text, expected] : bad) {
    const auto [line, what] = ErrorOf(std::string("open\n") + text);
    EXPECT_EQ(line, 2) << text;
    EXPECT_TRUE(Mentions(what, expected)) << text << " -> " << what;
  }
}

TEST(Script, NegativeNumbersOnlyWhereTheyMakeSense) {
  EXPECT_NO_THROW(ParseScript("expect itemindex cbbTrecho -1\nexpect tag x -5", "t.scn"));
  EXPECT_EQ(ErrorOf("select cbbTrecho -1").first, 1);
  EXPECT_EQ(ErrorOf("row dbgPadrao -1").first, 1);
}

TEST(Script, LexicalErrorsKeepTheirLine) {
  EXPECT_EQ(ErrorOf("open\nopen\nsql \"UPDATE x\n").first, 3);
}

TEST(Script, EveryVerbHasAHandler) {
  for (std::string_view verb : scenario::VerbNames()) EXPECT_TRUE(scenario::Handlers().count(verb)) << verb;
  EXPECT_EQ(scenario::Handlers().size(), scenario::VerbNames().size());
}

}  // namespace
