// Databases made before schema versions, upgraded by the real server: it
// refuses an older and a newer database with its texts, upgrades on
// --upgrade-db keeping every row (the change log of version 2 then reads as
// the screen's history), and a failing script leaves the version before it
// whole. On SQLite and PostgreSQL.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SchemaVersion.h"
#include "appserver/db/SqlScript.h"
#include "rpc/Client.h"
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

// A change logged by a version-2 server: an insert, its alteration, and
// the exclusion of another range, on leg 1110/01.
constexpr char kVersion2Log[] = R"SQL(
INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, CDFILIAL_NEW, CDCIA_NEW, NRVOO_NEW, CDTRECHO_NEW,
  CDSERVICO_NEW, QTPAXDE_NEW, QTPAXATE_NEW, QTSERVICO_NEW)
  VALUES ('2025-01-02 08:00:00.125', 'ana', 'I', '0001', '0101', '1110', '01', 'S1', 1, 20, 2);
INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, CDFILIAL_OLD, CDCIA_OLD, NRVOO_OLD, CDTRECHO_OLD,
  CDSERVICO_OLD, QTPAXDE_OLD, QTPAXATE_OLD, QTSERVICO_OLD, CDFILIAL_NEW, CDCIA_NEW, NRVOO_NEW, CDTRECHO_NEW,
  CDSERVICO_NEW, QTPAXDE_NEW, QTPAXATE_NEW, QTSERVICO_NEW)
  VALUES ('2025-01-03 09:00:00.000', 'bia', 'A', '0001', '0101', '1110', '01', 'S1', 1, 20, 2,
          '0001', '0101', '1110', '01', 'S1', 1, 20, 3);
INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, CDFILIAL_OLD, CDCIA_OLD, NRVOO_OLD, CDTRECHO_OLD,
  CDSERVICO_OLD, QTPAXDE_OLD, QTPAXATE_OLD, QTSERVICO_OLD)
  VALUES ('2025-01-04 10:00:00.999', 'ana', 'E', '0001', '0101', '1110', '01', 'S1', 21, 50, 4);
)SQL";

// The history of a version-2 database, upgraded by the real server, reads
// as the screen's own changes.
TEST_P(SchemaUpgrade, TheLogOfVersion2IsKeptAndReadAsTheScreensHistory) {
  ASSERT_GE(dbsession::LatestSchemaVersion(), 3);
  dbsession::UpgradeSchema(*session_, dbsession::Migrations().first(1));
  ASSERT_EQ(dbsession::SchemaVersionOf(*session_), 2);
  dbsession::RunScript(*session_, kVersion2Log);

  ServerProcess server({"--db", url_, "--listen", "127.0.0.1:0", "--upgrade-db"});
  EXPECT_EQ(dbsession::SchemaVersionOf(*session_), dbsession::LatestSchemaVersion());
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDORIGEM IS NULL"), 3);
  rpc::Client client("127.0.0.1", server.Port());
  client.Connect("Ate11600.rdmPropPass", "caio", "");
  std::vector<rpc::Param> params;
  for (const char* p : {"0001", "ASUL", "1110", "01", "", "", "", "2", ""}) params.push_back(rpc::Param::String(p));
  using nlohmann::json;
  const json first = json::parse(client.Call("GetHistoricoProp", params).resultJson)["rows"];
  ASSERT_EQ(first.size(), 2u);
  params[8] = rpc::Param::String(std::to_string(first[1][0].get<long long>()));
  const json rest = json::parse(client.Call("GetHistoricoProp", params).resultJson)["rows"];
  ASSERT_EQ(rest.size(), 1u);
  // IDLOG, DTLOG, NMUSUARIO, IDOPERACAO, IDORIGEM, DSOPERACAO, CDSERVICO,
  // NMPRODUTO, then the old and new bounds, class, cycle and quantity.
  EXPECT_EQ(first[0], json::parse(R"([3.0, "2025-01-04 10:00:00", "ana", "E", "", "exclusão", "S1", "Café da manhã",
                                      21.0, 50.0, null, null, 4.0, null, null, null, null, null])"));
  EXPECT_EQ(first[1], json::parse(R"([2.0, "2025-01-03 09:00:00", "bia", "A", "", "alteração", "S1", "Café da manhã",
                                      1.0, 20.0, null, null, 2.0, 1.0, 20.0, null, null, 3.0])"));
  EXPECT_EQ(rest[0], json::parse(R"([1.0, "2025-01-02 08:00:00", "ana", "I", "", "inclusão", "S1", "Café da manhã",
                                     null, null, null, null, null, 1.0, 20.0, null, null, 2.0])"));
  EXPECT_EQ(server.Stop(), 0);
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
