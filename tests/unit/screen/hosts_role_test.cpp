// The hosts' PostgreSQL role (db/hosts-role.sql, as the README runs it):
// every lookup of the screen and its report works with it, and no write
// reaches the ranges or their log except through the app server.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "appserver/db/DbSchema.h"
#include "appserver/db/SqlScript.h"
#include "framework/GeneralDatabase.h"
#include "framework/Query.h"
#include "framework/ReportDefinition.h"
#include "pg_instance.h"
#include "screen_fixture.h"

namespace screen_test {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class HostsRole : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    std::string why;
    pg_ = testsupport::PgInstance::Get(&why);
    if (!pg_) GTEST_SKIP() << why;
    dbname_ = pg_->CreateDatabase();
    auto owner = dbsession::Open({dbsession::Dialect::Postgresql, pg_->ConnectString(dbname_)});
    dbsession::CreateSchema(*owner);
    dbsession::LoadDemo(*owner);
    soci::transaction once(*owner);
    dbsession::RunScript(*owner, ReadText(ATE_SOURCE_DIR "/db/hosts-role.sql"));
    once.commit();
    lookups_ = "host=127.0.0.1 port=" + std::to_string(pg_->Port()) + " user=ate_consulta dbname=" + dbname_;
  }
  void TearDown() override {
    ScreenTest::TearDown();
    if (pg_ && !dbname_.empty()) pg_->DropDatabase(dbname_);
  }

  testsupport::PgInstance* pg_ = nullptr;
  std::string dbname_, lookups_;
};

int Rows(framework::TADOIBQuery& query, std::initializer_list<std::pair<const char*, const char*>> params) {
  query.Close();
  for (const auto& [name, value] : params) {
    if (value) query.ParamByName(name).SetAsString(value);
    else query.ParamByName(name).Clear();
  }
  query.Open();
  return query.RecordCount();
}

TEST_F(HostsRole, ReadsEveryLookupAndWritesNothing) {
  framework::dtmDBGeral->adcGeral->Close();
  framework::dtmDBGeral->adcGeral->Open(lookups_);
  TfrmPropPass& screen = Bare();
  EXPECT_GT(Rows(*screen.qryFilial, {{"P_CDFILIAL", nullptr}, {"P_TCDFILIAL", "T"}}), 0);
  EXPECT_GT(Rows(*screen.qryClasse,
                 {{"P_SGCLASSE", nullptr}, {"P_TSGCLASSE", "T"}, {"P_CDFILIAL", "0001"}, {"P_CDCIA", "0101"}}),
            0);
  EXPECT_GT(Rows(*screen.qryCiclo, {{"P_IDCICLO", nullptr}, {"P_CDCIA", "0101"}, {"P_CDFILIAL", "0001"}}), 0);
  Rows(*screen.qryServicoCiaPesq, {{"P_CDNVPRODUTO", "1"}, {"CDCIA", "0101"}, {"CDARVPROD", nullptr}, {"TODOS", "T"}});

  const framework::ReportDefinition report = framework::LoadReportDefinition(ATE_SOURCE_DIR "/reports/Ate116.json");
  for (const auto* sql : {&report.headerSql, &report.bodySql}) {
    framework::TADOIBQuery query;
    query.SetConnection(framework::dtmDBGeral->adcGeral);
    query.SetSQL(*sql);
    const int rows = Rows(query, {{"P_CDFILIAL", "0001"}, {"CDCIA", "0101"}, {"P_NRVOO", "1110"}, {"P_CDTRECHO", "01"}});
    if (sql == &report.headerSql) {
      EXPECT_EQ(rows, 1);
    }
  }

  auto session = dbsession::Open({dbsession::Dialect::Postgresql, lookups_});
  for (const char* write : {
           "INSERT INTO PROPSERVICO SELECT * FROM PROPSERVICO LIMIT 1",
           "UPDATE PROPSERVICO SET QTSERVICO = QTSERVICO + 1",
           "DELETE FROM PROPSERVICO",
           "INSERT INTO PROPSERVICO_LOG SELECT * FROM PROPSERVICO_LOG LIMIT 1",
           "UPDATE PROPSERVICO_LOG SET IDLOG = IDLOG",
           "DELETE FROM PROPSERVICO_LOG",
           "CREATE TABLE PROPSERVICO_COPIA (X INTEGER)",
       }) {
    try {
      *session << write;
      ADD_FAILURE() << "allowed: " << write;
    } catch (const soci::soci_error& e) {
      EXPECT_NE(std::string(e.what()).find("permission denied"), std::string::npos) << write << ": " << e.what();
    }
  }
}

}  // namespace
}  // namespace screen_test
