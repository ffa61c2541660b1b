// Whole scripts run by the runner against a small screen module of the
// tests and a real application server: the actions reach the controls,
// the checks compare, and every kind of fault fails the script at its line
// instead of passing or crashing the runner.
#include <gtest/gtest.h>

#include <fstream>

#include "scenario/Runner.h"
#include "scenario/ScriptRun.h"

namespace {

using scenario::RunnerOptions;
using scenario::ScriptResult;

class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(::testing::TempDir()) / ("scenario_runner_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    options_.module = SCENARIO_FAKE_SCREEN;
    options_.server = SCENARIO_APPSERVER;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  ScriptResult Run(const std::string& text, const std::string& name = "t.scn") {
    const auto file = dir_ / name;
    std::ofstream(file) << text;
    return scenario::RunScript(file, options_);
  }
  // Passes when the script passes, showing the failure otherwise.
  void ExpectPass(const std::string& text) {
    const ScriptResult r = Run(text);
    EXPECT_TRUE(r.passed) << "line " << r.line << ": " << r.what;
  }
  void ExpectFail(const std::string& text, int line, const std::string& part) {
    const ScriptResult r = Run(text);
    EXPECT_FALSE(r.passed) << text;
    EXPECT_EQ(r.line, line) << r.what;
    EXPECT_NE(r.what.find(part), std::string::npos) << "'" << r.what << "' lacks '" << part << "'";
  }

  std::filesystem::path dir_;
  RunnerOptions options_;
};

TEST_F(Runner, ActionsReachTheControlsAsAPersonWould) {
  ExpectPass(
      "open\n"
      "expect focus edtNome\n"
      "type edtNome \"ab\"\n"
      "type edtNome \"cd\"\n"
      "expect text edtNome \"abcd\"\n"
      "set edtNome \"x\"\n"
      "expect text edtNome \"x\"\n"
      "set medCodigo \"ab12\"\n"
      "expect text medCodigo \"AB12\"\n"
      "expect focus medCodigo\n"
      "set medCodigo \"zz\"\n"
      "expect text medCodigo \"ZZ\"\n"
      "expect items cbbLista \"um\" \"dois\" \"três\"\n"
      "select cbbLista 1\n"
      "expect itemindex cbbLista 1\n"
      "expect text cbbLista \"dois\"\n"
      "click mnuItem\n"
      "expect text edtNome \"menu\"\n"
      "click btnDesligado\n"
      "expect enabled btnDesligado false\n"
      "expect no message\n"
      "row dbgLista 2\n"
      "expect focus dbgLista\n"
      "expect field cdsLista.CODE \"C\"\n"
      "col dbgLista QT\n"
      "expect selected dbgLista QT\n"
      "expect field cdsLista.QT \"1,5\"\n"
      "expect rows cdsLista 3\n"
      "expect state cdsLista browse\n"
      "expect column dbgLista QT readonly none\n"
      "expect column dbgLista CODE editable ellipsis\n"
      "editbutton dbgLista\n"
      "expect text edtNome \"menu\"\n"
      "col dbgLista CODE\n"
      "editbutton dbgLista\n"
      "expect text edtNome \"botão\"\n"
      "dblclick dbgLista\n"
      "expect text edtNome \"duplo\"\n"
      "type dbgLista \"Z\"\n"
      "expect state cdsLista edit\n"
      "expect text dbgLista \"Z\"\n"
      "key dbgLista Esc\n"
      "expect state cdsLista browse\n"
      "expect field cdsLista.CODE \"C\"\n"
      "key dbgLista Up\n"
      "expect field cdsLista.CODE \"B\"\n"
      "expect tag edtNome 0\n");
}

TEST_F(Runner, WindowsAndEntryPoints) {
  ExpectPass(
      "open\n"
      "expect windowstate normal\n"
      "focus medCodigo\n"
      "minimize\n"
      "expect windowstate minimized\n"
      "switch\n"
      "expect focus medCodigo\n"
      "call CriaProporServPass\n"
      "expect windowstate normal\n"
      "expect focus edtNome\n"
      "close\n"
      "call IniProc\n"
      "expect text edtNome \"\"\n");
  // The host's own menu entry, clicked by name, opens the screen too.
  ExpectPass("click mnuATE11600\nexpect focus edtNome\n");
}

TEST_F(Runner, QuestionsAreAnsweredFromTheQueues) {
  ExpectPass(
      "open\n"
      "answer yes \"Continuar?\"\n"
      "answer no\n"
      "click btnPerguntar\n"
      "expect text edtNome \"sim\"\n"
      "click btnPerguntar\n"
      "expect text edtNome \"não\"\n"
      "pick 1\n"
      "click btnEscolher\n"
      "expect text edtNome \"B\"\n"
      "pick none\n"
      "click btnEscolher\n"
      "expect text edtNome \"B\"\n");
  // An answer meant for another question fails the script, naming both.
  ExpectFail("open\nanswer yes \"Excluir?\"\nclick btnPerguntar\n", 3, "\"Excluir?\"");
  ExpectFail("open\nanswer yes \"Excluir?\"\nclick btnPerguntar\n", 3, "\"Continuar?\"");
}

TEST_F(Runner, SelectClicksTheComboBoxBeforeItLooksForTheItem) {
  // Leaving the code on the way to the combo box fills it.
  ExpectPass(
      "open\n"
      "focus medCodigo\n"
      "type medCodigo \"abcd\"\n"
      "select cbbTardia 0\n"
      "expect itemindex cbbTardia 0\n"
      "expect focus cbbTardia\n");
}

TEST_F(Runner, AModalFormRunsTheFollowingLinesAndIsSearchedFirst) {
  ExpectPass(
      "open\n"
      "click btnModal\n"
      "set edtNome \"dentro\"\n"
      "expect focus edtNome\n"
      "click btnOk\n"
      "expect text edtNome \"dentro\"\n"
      "expect focus edtNome\n");
}

TEST_F(Runner, ChecksThatDoNotHoldNameTheirLineAndBothValues) {
  ExpectFail("open\n\nexpect text edtNome \"zzz\"\n", 3, "expected \"zzz\", got \"\"");
  ExpectFail("open\nexpect focus medCodigo\n", 2, "expected medCodigo, got edtNome");
  ExpectFail("open\nexpect enabled btnDesligado true\n", 2, "expected true, got false");
  ExpectFail("open\nexpect rows cdsLista 4\n", 2, "expected 4, got 3");
  ExpectFail("open\nexpect items cbbLista \"um\"\n", 2, "\"um\" \"dois\" \"três\"");
  ExpectFail("open\nexpect state cdsLista edit\n", 2, "expected edit, got browse");
  ExpectFail("open\nexpect windowstate minimized\n", 2, "got normal");
  ExpectFail("open\nexpect selected dbgLista QT\n", 2, "got CODE");
  ExpectFail("open\nexpect column dbgLista CODE readonly ellipsis\n", 2, "expected readonly, got editable");
  ExpectFail("open\nexpect column dbgLista CODE editable none\n", 2, "expected none, got ellipsis");
  ExpectFail("open\nexpect field cdsLista.NOPE \"\"\n", 2, "no field NOPE");
  ExpectFail("open\nexpect text edtNada \"\"\n", 2, "no component named edtNada");
  ExpectFail("open\nexpect rows edtNome 0\n", 2, "edtNome is not a dataset");
  ExpectFail("expect text edtNome \"\"\n", 1, "the screen is not open");
}

TEST_F(Runner, MessagesAreCheckedInOrderAndNoneMayBeLeft) {
  ExpectPass("open\nclick btnErro\nclick btnErro\nexpect message \"falhou\"\nexpect message *\nexpect no message\n");
  ExpectFail("open\nclick btnErro\nexpect message \"other\"\n", 3, "expected \"other\", got \"falhou\"");
  ExpectFail("open\nclick btnErro\nexpect no message\n", 3, "got \"falhou\"");
  ExpectFail("open\nexpect message *\n", 2, "none was shown");
  ExpectFail("open\nclick btnErro\nfocus medCodigo\n", 2, "message left unchecked: \"falhou\"");
}

TEST_F(Runner, UnexpectedOrMissingQuestionsFail) {
  ExpectFail("open\nclick btnPerguntar\n", 2, "\"Continuar?\"");
  ExpectFail("open\nanswer yes\nexpect focus edtNome\n", 2, "never asked");
  ExpectFail("open\npick 0\n", 2, "never asked");
  ExpectFail("open\nclick btnEscolher\n", 2, "\"Lista\"");
  ExpectFail("open\npick 3\nclick btnEscolher\n", 3, "no row 3");
  ExpectFail("open\nselect cbbLista 3\n", 2, "no item 3");
  ExpectFail("open\nrow dbgLista 3\n", 2, "no row 3");
  ExpectFail("open\ncol dbgLista NOPE\n", 2, "no column NOPE");
}

TEST_F(Runner, FailuresInsideAModalFormKeepTheirOwnLine) {
  ExpectFail("open\nclick btnModal\nexpect text edtNome \"x\"\nclick btnOk\n", 3, "expected \"x\"");
  ExpectFail("open\nclick btnModal\nset edtNome \"x\"\n", 2, "still open");
  // A database error inside the modal run fails its own line; it does not
  // become an error message of the click that opened the form.
  ExpectFail("open\nclick btnModal\nsql \"bad statement\"\nclick btnOk\n", 3, "syntax error");
}

TEST_F(Runner, RemoteCallsAreCountedWithTheirArguments) {
  ExpectPass(
      "open\n"
      "expect calls GetQtdePropServico 0\n"
      "click btnChamar\n"
      "click btnChamar\n"
      "expect calls GetQtdePropServico 2\n"
      "expect call GetQtdePropServico \"0001\" \"2.5\" \"\"\n"
      "reset calls\n"
      "expect calls GetQtdePropServico 0\n"
      "expect call GetQtdePropServico \"0001\" \"2.5\" \"\"\n");
  ExpectFail("open\nclick btnChamar\nexpect call GetQtdePropServico \"0001\"\n", 3, "\"0001\" \"2.5\" \"\"");
  ExpectFail("open\nexpect call GetCompanhia\n", 2, "GetCompanhia was not called");
}

TEST_F(Runner, ReportsAndTheLocalCache) {
  ExpectPass(
      "open\n"
      "expect cache PROPSERVICO 0\n"
      "click btnCache\n"
      "click btnCache\n"
      "expect cache PROPSERVICO 2\n"
      "expect cache COMPANHIA 0\n"
      "click btnRelatorio\n"
      "expect param P_CDFILIAL \"0001\"\n"
      "expect param P_NRVOO \"\"\n");
  ExpectFail("open\nclick btnCache\nexpect cache PROPSERVICO 2\n", 3, "expected 2, got 1");
  ExpectFail("open\nexpect param P_CDFILIAL \"0001\"\n", 2, "no report");
  ExpectFail("open\nclick btnRelatorio\nexpect param P_CDFILIAL \"0002\"\n", 3, "expected \"0002\", got \"0001\"");
  ExpectFail("open\nclick btnRelatorio\nexpect param CDCIA \"\"\n", 3, "has no parameter CDCIA");
}

TEST_F(Runner, TheServerStopsAndStartsOnItsPort) {
  ExpectPass(
      "open\n"
      "server stop\n"
      "server start\n"
      "click btnChamar\n"
      "expect calls GetQtdePropServico 1\n");
  ExpectFail("server stop\nserver stop\n", 2, "not running");
  ExpectFail("server start\n", 1, "running already");
}

// A stalled server takes the call and never answers it until resumed; a
// script may stall it now or as the screen sends a given call, and one
// that ends with the server stalled still ends, and passes.
TEST_F(Runner, TheServerStallsAndResumes) {
  ExpectPass(
      "host CallTimeout=1\n"
      "open\n"
      "server stall GetQtdePropServico\n"
      "click btnChamar\n"
      "expect calls GetQtdePropServico 1\n"
      "server resume\n"
      "click btnChamar\n"
      "server stall\n"
      "server resume\n"
      "server stall\n");
  ExpectFail("server resume\n", 1, "not stalled");
  ExpectFail("server stall\nserver stall\n", 2, "stalled already");
  ExpectFail("server stall GetMaiorPax\nserver stall\n", 2, "waiting already (line 1)");
  ExpectFail("open\nserver stall GetMaiorPax\nclick btnChamar\n", 2, "GetMaiorPax that never came");
  ExpectFail("server stall A B\n", 1, "at most one");
  ExpectFail("server stop\nserver stall\n", 2, "not running");
  ExpectFail("host CallTimeout=0\n", 1, "CallTimeout");
}

TEST_F(Runner, EachScriptGetsAFreshDatabase) {
  ExpectPass(
      "expect db \"SELECT COUNT(*) FROM FILIAL\" \"0\"\n"
      "sql \"INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Nova'); INSERT INTO FILIAL VALUES ('0010', NULL)\"\n"
      "expect db \"SELECT CDFILIAL, NMFILIAL FROM FILIAL ORDER BY CDFILIAL\" \"0009|Nova;0010|\"\n");
  ExpectPass("expect db \"SELECT COUNT(*) FROM FILIAL\" \"0\"\nseed demo\nexpect db \"SELECT COUNT(*) FROM FILIAL\" \"3\"\n");
  ExpectFail("expect db \"SELECT COUNT(*) FROM FILIAL\" \"1\"\n", 1, "expected \"1\", got \"0\"");
  ExpectFail("sql \"INSERT INTO NOPE VALUES (1)\"\n", 1, "NOPE");
  std::ofstream(dir_ / "rows.sql") << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0007', 'Sete');\n";
  ExpectPass("seed \"rows.sql\"\nexpect db \"SELECT NMFILIAL FROM FILIAL\" \"Sete\"\n");
  ExpectFail("seed \"missing.sql\"\n", 1, "missing.sql");
}

TEST_F(Runner, EachScriptGetsTheModuleLoadedAnew) {
  // The module keeps its screen in a variable and refuses a second
  // Initialize: both hold only when the module starts over.
  ExpectPass("open\ntype edtNome \"um\"\n");
  ExpectPass("open\nexpect text edtNome \"\"\nopen\n");
}

TEST_F(Runner, ExportsAreCalledSafely) {
  ExpectPass("call Falha\nexpect message \"a export failed\"\n");
  ExpectFail("call fakeVariable\n", 1, "exports no function fakeVariable");
  ExpectFail("call Missing\n", 1, "exports no function Missing");
}

TEST_F(Runner, HostSettingsAreChecked) {
  ExpectFail("host WebPort=abc\n", 1, "WebPort");
  ExpectFail("host Bogus=1\n", 1, "unknown host setting 'Bogus'");
  ExpectFail("host ModuFili=yes\n", 1, "true or false");
  ExpectPass("host ModuFili=true FiliProc=0003 DBPict=\"99.99\" WebURL=127.0.0.1 Token=x\n");
}

TEST_F(Runner, ScriptsThatCannotRunFailWithoutRunning) {
  // Nothing rendered yet, or no renderer given to this runner.
  ExpectFail("open\nexpect pdf \"x\"\n", 2, "no report has been shown");
  ExpectFail("open\n\nfrobnicate\n", 3, "unknown command 'frobnicate'");
  options_.module = dir_ / "none.so";
  ExpectFail("open\n", 1, "none.so");
  options_.server = dir_ / "no-server";
  ExpectFail("open\n", 0, "no-server");
  const ScriptResult missing = scenario::RunScript(dir_ / "absent.scn", options_);
  EXPECT_FALSE(missing.passed);
  EXPECT_NE(missing.what.find("cannot read"), std::string::npos) << missing.what;
}

TEST(RunnerOutput, OneLinePerScriptAndATotal) {
  EXPECT_EQ(scenario::ResultLine("a.scn", {true, 0, ""}), "ok a.scn");
  EXPECT_EQ(scenario::ResultLine("b.scn", {false, 7, "text: expected 1, got 2"}), "FAIL b.scn:7: text: expected 1, got 2");
  EXPECT_EQ(scenario::ResultLine("c.scn", {false, 0, "cannot read the script"}), "FAIL c.scn: cannot read the script");
}

}  // namespace
