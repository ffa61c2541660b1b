// Databases made before schema versions, upgraded by the real server: it
// refuses an older and a newer database with its texts, upgrades on
// --upgrade-db keeping every row, and a failing script leaves the version
// before it whole. On SQLite and PostgreSQL.

#include <gtest/gtest.h>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SchemaVersion.h"
#include "appserver/db/SqlScript.h"
#include "server_process.h"

namespace appserver_it {
namespace {

enum class Backend { Sqlite, Postgresql };

// A few rows of every kind a version-1 database holds.
constexpr char kVersion1Rows[] = R"SQL(
INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0001', 'Cozinha');
INSERT INTO COMPANHIA (CDCIA, SGCIA, NMCIA) VALUES ('0101', 'ASUL', 'Azul Sul');
INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP) VALUES ('0001', 'JT-180'), ('0002', 'JT-220');
INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO) VALUES ('0001', '0101', '1110');
INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DSTRECHO, BASEORI, BASEDES, CDEQUIP, SGPREFIXO)
  VALUES ('0001', '0101', '1110', '01', 'GRU-GIG', 'GRU', 'GIG', '0002', 'PT-BHM');
INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS)
  VALUES ('0101', 'S1', 'Café da manhã', '01.01.001', 3, 'S');
INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, CDCICLO, QTSERVICO)
  VALUES ('0001', '0101', '1110', '01', 'S1', 1, 20, NULL, NULL, 2), ('0001', '0101', '1110', '01', 'S1', 21, 50, NULL, NULL, 4);
)SQL";

class SchemaUpgrade : public testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (GetParam() == Backend::Sqlite) {
      url_ = "sqlite:" + (dir_.Path() / "ate.db").string();
    } else {
      std::string why;
      pg_ = testsupport::PgInstance::Get(&why);
      if (!pg_) GTEST_SKIP() << why;
      pgName_ = pg_->CreateDatabase();
      url_ = pg_->ConnectString(pgName_);
    }
    session_ = dbsession::Open(dbsession::ParseUrl(url_));
    dbsession::CreateSchemaVersion1(*session_);
    dbsession::RunScript(*session_, kVersion1Rows);
  }
  void TearDown() override {
    session_.reset();
    if (pg_ && !pgName_.empty()) pg_->DropDatabase(pgName_);
  }
  int Count(const std::string& sql) {
    int n = -1;
    *session_ << sql, soci::into(n);
    return n;
  }
  std::string Refusal() {
    std::string output;
    EXPECT_EQ(ServerProcess::RunToExit({"--db", url_, "--listen", "127.0.0.1:0"}, &output), 1) << output;
    return output;
  }

  TempDir dir_;
  testsupport::PgInstance* pg_ = nullptr;
  std::string pgName_, url_;
  std::unique_ptr<soci::session> session_;
};

TEST_P(SchemaUpgrade, AnOlderDatabaseIsRefusedThenUpgradedWithItsRowsAndANewerOneRefused) {
  const int latest = dbsession::LatestSchemaVersion();
  ASSERT_GE(latest, 2);
  EXPECT_EQ(dbsession::SchemaVersionOf(*session_), 1);
  EXPECT_NE(Refusal().find("the database is at schema version 1, this server needs " + std::to_string(latest) +
                           "; stop every app server, back it up and run once with --upgrade-db"),
            std::string::npos);
  EXPECT_EQ(dbsession::SchemaVersionOf(*session_), 1);

  {
    ServerProcess server({"--db", url_, "--listen", "127.0.0.1:0", "--upgrade-db"});
    EXPECT_EQ(server.Stop(), 0);
  }
  EXPECT_EQ(dbsession::SchemaVersionOf(*session_), latest);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S1' AND QTSERVICO IN (2, 4)"), 2);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM TRECHO WHERE CDEQUIP = '0002' AND SGPREFIXO = 'PT-BHM'"), 1);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM EQUIPAMENTO WHERE QTASSENTOS IS NULL"), 2);
  // Served as it is from then on, without the option.
  {
    ServerProcess server({"--db", url_, "--listen", "127.0.0.1:0"});
    EXPECT_EQ(server.Stop(), 0);
  }

  dbsession::SetSchemaVersion(*session_, latest + 1);
  EXPECT_NE(Refusal().find("the database is at schema version " + std::to_string(latest + 1) +
                           ", newer than this server's " + std::to_string(latest)),
            std::string::npos);
  std::string output;
  EXPECT_EQ(ServerProcess::RunToExit({"--db", url_, "--listen", "127.0.0.1:0", "--upgrade-db"}, &output), 1)
      << output;
}

TEST_P(SchemaUpgrade, AFailingScriptLeavesTheVersionBeforeItWhole) {
  std::vector<dbsession::Migration> scripts(dbsession::Migrations().begin(), dbsession::Migrations().end());
  const int next = dbsession::LatestSchemaVersion() + 1;
  const std::string bad = "CREATE TABLE NOVA (X INTEGER);\nINSERT INTO NOVA VALUES (1);\n"
                          "INSERT INTO TABELA_QUE_NAO_EXISTE VALUES (1);\n";
  scripts.push_back({next, "999_falha.sql", bad});
  std::vector<int> applied;
  EXPECT_THROW(dbsession::UpgradeSchema(*session_, scripts, [&](const dbsession::Migration& m) {
    applied.push_back(m.version);
  }),
               dbsession::ScriptError);
  EXPECT_EQ(dbsession::SchemaVersionOf(*session_), next - 1);
  EXPECT_EQ(static_cast<int>(applied.size()), next - 2);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM EQUIPAMENTO WHERE QTASSENTOS IS NULL"), 2);
  // Nothing of the failed script stays: NOVA cannot be read.
  EXPECT_THROW(Count("SELECT COUNT(*) FROM NOVA"), soci::soci_error);
  // Run again, the done steps are not repeated.
  applied.clear();
  scripts.pop_back();
  dbsession::UpgradeSchema(*session_, scripts, [&](const dbsession::Migration& m) { applied.push_back(m.version); });
  EXPECT_TRUE(applied.empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaUpgrade, testing::Values(Backend::Sqlite, Backend::Postgresql),
                         [](const auto& info) { return info.param == Backend::Sqlite ? "sqlite" : "postgresql"; });

}  // namespace
}  // namespace appserver_it
