// Report definitions and the report dialog's run: what is refused with
// the file's name, the shipped definition, parameters declared and filled,
// and the laid-out text of the demo flight.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "demo_database.h"
#include "framework/GeneralDatabase.h"
#include "framework/ReportDefinition.h"
#include "framework/ReportDialog.h"
#include "framework/ReportHtml.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/RecordingDialogs.h"
#include "toolkit/data/Abort.h"

namespace {

namespace fs = std::filesystem;

class ReportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("ate-reports-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name) << text;
    return dir_ / name;
  }
  std::string Refusal(const fs::path& file) {
    try {
      framework::LoadReportDefinition(file);
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "(accepted)";
  }
  fs::path dir_;
};

TEST_F(ReportFiles, AMissingOrMalformedDefinitionIsRefusedNamingTheFile) {
  const fs::path missing = dir_ / "Nada.json";
  EXPECT_NE(Refusal(missing).find(missing.string()), std::string::npos);
  EXPECT_NE(Refusal(missing).find("não existe"), std::string::npos);
  const fs::path broken = Write("Quebrado.json", "{\"title\": ");
  EXPECT_NE(Refusal(broken).find(broken.string()), std::string::npos);
  EXPECT_NE(Refusal(broken).find("JSON inválido"), std::string::npos);
  const fs::path noBody =
      Write("SemCorpo.json", R"({"title": "T", "parameters": [], "header": {"sql": [], "fields": []}})");
  EXPECT_NE(Refusal(noBody).find("falta \"body\""), std::string::npos);
  const fs::path badColumns = Write("Colunas.json", R"({"title": "T", "parameters": ["A"],
    "header": {"sql": ["SELECT 1"], "fields": []},
    "body": {"sql": ["SELECT 1"], "groupBy": "X", "groupFields": [], "columns": ["QTPAXDE"]}})");
  EXPECT_NE(Refusal(badColumns).find("\"columns\" deve ser uma lista de objetos"), std::string::npos);
}

TEST_F(ReportFiles, TheShippedDefinitionDeclaresTheFourParameters) {
  const framework::ReportDefinition def = framework::LoadReportDefinition(fs::path(ATE_REPORTS_SOURCE) / "Ate116.json");
  EXPECT_EQ(def.title, "Proporção de Serviço por Passageiro");
  EXPECT_EQ(def.parameters, (std::vector<std::string>{"P_CDFILIAL", "CDCIA", "P_NRVOO", "P_CDTRECHO"}));
  EXPECT_EQ(def.groupBy, "CDSERVICO");
  ASSERT_EQ(def.columns.size(), 3U);
  EXPECT_EQ(def.columns[0].label, "Pax. Mínimo");
}

TEST(ReportHtmlText, ValuesAreEscaped) {
  EXPECT_EQ(framework::HtmlEscape("<b>\"A&B\"</b>"), "&lt;b&gt;&quot;A&amp;B&quot;&lt;/b&gt;");
}

class ReportRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { db_ = new framework_test::DemoDatabase("report-run"); }
  static void TearDownTestSuite() { delete db_; }
  void SetUp() override {
    ::setenv("ATE_REPORTS", ATE_REPORTS_SOURCE, 1);
    toolkit::Application::Instance().Reset();
    toolkit::Application::Instance().SetDialogs(&dialogs);
    framework::dtmDBGeral = new framework::TdtmDBGeral();
    framework::dtmDBGeral->adcGeral->Open(db_->Url());
    dialog.SetReportName("Ate116");
  }
  void TearDown() override {
    ::unsetenv("ATE_REPORTS");
    toolkit::Application::Instance().Reset();
    delete framework::dtmDBGeral;
    framework::dtmDBGeral = nullptr;
  }
  void Fill(const std::string& flight, const std::string& leg) {
    dialog.BeforeGetQueryParams = [=](framework::TReportDesignerDialog&, framework::TReportParams& params, bool&) {
      params.ParamByName("P_CDFILIAL").SetAsString("0001");
      params.ParamByName("CDCIA").SetAsString("0101");
      params.ParamByName("P_NRVOO").SetAsString(flight);
      params.ParamByName("P_CDTRECHO").SetAsString(leg);
    };
  }
  static framework_test::DemoDatabase* db_;
  toolkit::RecordingDialogs dialogs;
  framework::TReportDesignerDialog dialog;
};
framework_test::DemoDatabase* ReportRun::db_ = nullptr;

TEST_F(ReportRun, TheDemoFlightsServicesAndRangesInOrder) {
  Fill("1110", "01");
  dialog.Execute(toolkit::ReportAction::Preview);
  ASSERT_EQ(dialogs.Reports().size(), 1U);
  const toolkit::ReportDocument& r = dialogs.Reports()[0];
  EXPECT_EQ(r.title, "Proporção de Serviço por Passageiro");
  EXPECT_EQ(r.parameters, (std::vector<std::pair<std::string, std::string>>{
                              {"P_CDFILIAL", "0001"}, {"CDCIA", "0101"}, {"P_NRVOO", "1110"}, {"P_CDTRECHO", "01"}}));
  const std::string& html = r.html;
  const auto first = html.find("01.01.001"), second = html.find("01.02.003");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  EXPECT_LT(first, second);
  // The three ranges of the first service come before the second service.
  const auto last = html.find(">220<", first);
  EXPECT_LT(html.find(">21<", first), last);
  EXPECT_LT(last, second);
  EXPECT_NE(html.find("01 GRU-GIG 11h20 (GRU-GIG)"), std::string::npos);
  EXPECT_NE(html.find("JT-220"), std::string::npos);
  EXPECT_EQ(html.find("Nenhuma proporção"), std::string::npos);
}

TEST_F(ReportRun, AFlightWithoutRangesSaysSo) {
  Fill("1117", "01");
  dialog.Execute(toolkit::ReportAction::Print);
  ASSERT_EQ(dialogs.Reports().size(), 1U);
  EXPECT_NE(dialogs.Reports()[0].html.find("Nenhuma proporção cadastrada."), std::string::npos);
}

TEST_F(ReportRun, AHandlerThatDropsTheRunShowsNothing) {
  dialog.BeforeGetQueryParams = [](framework::TReportDesignerDialog&, framework::TReportParams&, bool& proceed) {
    proceed = false;
  };
  dialog.Execute(toolkit::ReportAction::Preview);
  EXPECT_TRUE(dialogs.Reports().empty());
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ReportRun, AMissingDefinitionIsShownNamingTheFile) {
  dialog.SetReportName("Ate999");
  EXPECT_THROW(dialog.Execute(toolkit::ReportAction::Preview), toolkit::EAbort);
  ASSERT_EQ(dialogs.Messages().size(), 1U);
  EXPECT_NE(dialogs.Messages()[0].find("Ate999.json"), std::string::npos);
  EXPECT_TRUE(dialogs.Reports().empty());
}

}  // namespace
