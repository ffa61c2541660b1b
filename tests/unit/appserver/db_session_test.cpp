#include <gtest/gtest.h>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SqlScript.h"
#include "test_support.h"

namespace appserver_test {
namespace {

using dbsession::Dialect;

TEST(ParseUrl, SqliteAndPostgresqlForms) {
  EXPECT_EQ(dbsession::ParseUrl("sqlite:var/ate.db").target, "var/ate.db");
  EXPECT_EQ(dbsession::ParseUrl("sqlite:var/ate.db").dialect, Dialect::Sqlite);
  const auto uri = dbsession::ParseUrl("postgresql://ate@127.0.0.1:5432/ate");
  EXPECT_EQ(uri.dialect, Dialect::Postgresql);
  EXPECT_EQ(uri.target, "postgresql://ate@127.0.0.1:5432/ate");
  EXPECT_EQ(dbsession::ParseUrl("dbname=ate host=127.0.0.1").target, "dbname=ate host=127.0.0.1");
  EXPECT_EQ(dbsession::ParseUrl("postgresql:dbname=ate").target, "dbname=ate");
  EXPECT_THROW(dbsession::ParseUrl("sqlite:"), std::invalid_argument);
  EXPECT_THROW(dbsession::ParseUrl("var/ate.db"), std::invalid_argument);
  EXPECT_THROW(dbsession::ParseUrl("mysql://x"), std::invalid_argument);
}

// A URI reaches the database it names, also one whose name needs quoting
// on the way to the driver; a malformed one is refused before connecting.
TEST(PostgresqlUri, OpensTheDatabaseItNames) {
  std::string why;
  PgInstance* pg = PgInstance::Get(&why);
  if (!pg) GTEST_SKIP() << why;
  auto admin = dbsession::Open({Dialect::Postgresql, pg->ConnectString("postgres")});
  *admin << "CREATE DATABASE \"uri b'c\"";
  const std::string server = "postgresql://ate@127.0.0.1:" + std::to_string(pg->Port());
  {
    auto s = dbsession::Open(dbsession::ParseUrl(server + "/uri%20b%27c?application_name=ate"));
    std::string name, application;
    *s << "SELECT current_database(), current_setting('application_name')", soci::into(name), soci::into(application);
    EXPECT_EQ(name, "uri b'c");
    EXPECT_EQ(application, "ate");
  }
  EXPECT_THROW(dbsession::Open(dbsession::ParseUrl(server + "/ate?no_such_option=1")), std::invalid_argument);
  *admin << "DROP DATABASE \"uri b'c\" WITH (FORCE)";
}

TEST(SplitScript, CutsOnlyAtSemicolonsOutsideQuotesAndComments) {
  const auto st = dbsession::SplitScript(
      "INSERT INTO T VALUES ('a;b', \"c;d\"); -- x; y\n"
      "/* e; f */ SELECT 1;\n"
      "CREATE FUNCTION F() RETURNS INT AS $$ SELECT 1; $$ LANGUAGE SQL;\n"
      "SELECT $tag$ ; $$ $tag$, $1;\n"
      "SELECT 'it''s; here'");
  ASSERT_EQ(st.size(), 5u);
  EXPECT_EQ(st[0].text, "INSERT INTO T VALUES ('a;b', \"c;d\")");
  EXPECT_EQ(st[1].text, "SELECT 1");
  EXPECT_EQ(st[1].line, 2u);
  EXPECT_EQ(st[2].text, "CREATE FUNCTION F() RETURNS INT AS $$ SELECT 1; $$ LANGUAGE SQL");
  EXPECT_EQ(st[3].text, "SELECT $tag$ ; $$ $tag$, $1");
  EXPECT_EQ(st[4].text, "SELECT 'it''s; here'");
}

TEST(SplitScript, MarkersRestrictTheNextStatementOnly) {
  const auto st = dbsession::SplitScript(
      "-- mentions @postgresql in passing\nSELECT 1;\n-- @postgresql\nSELECT 2;\n  --  @sqlite  \nSELECT 3;\nSELECT "
      "4;");
  ASSERT_EQ(st.size(), 4u);
  EXPECT_FALSE(st[0].only);
  EXPECT_EQ(st[1].only, Dialect::Postgresql);
  EXPECT_EQ(st[2].only, Dialect::Sqlite);
  EXPECT_FALSE(st[3].only);
}

TEST(SplitScript, UnterminatedPiecesNameTheirLine) {
  for (const char* bad : {"SELECT 1;\nSELECT 'oops", "SELECT 1;\n/* never closed", "SELECT 1;\nSELECT $$ x"}) {
    try {
      dbsession::SplitScript(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const dbsession::ScriptError& e) {
      EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
  }
}

TEST(SqliteSession, DurableSettingsAndNvl) {
  TempDir dir;
  auto s = dbsession::Open({Dialect::Sqlite, (dir.Path() / "with=sign and blank.db").string()});
  std::string mode;
  int sync = -1, fk = -1;
  *s << "PRAGMA journal_mode", soci::into(mode);
  *s << "PRAGMA synchronous", soci::into(sync);
  *s << "PRAGMA foreign_keys", soci::into(fk);
  EXPECT_EQ(mode, "wal");
  EXPECT_EQ(sync, 2);  // FULL
  EXPECT_EQ(fk, 1);
  std::string a, b;
  *s << "SELECT NVL(NULL, 'x'), NVL('y', 'x')", soci::into(a), soci::into(b);
  EXPECT_EQ(a, "x");
  EXPECT_EQ(b, "y");
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "with=sign and blank.db"));
}

class SchemaTest : public ::testing::TestWithParam<Backend> {
 protected:
  std::unique_ptr<TestDatabase> Make(TestDatabase::Content content) {
    std::string why;
    auto db = TestDatabase::Create(GetParam(), content, &why);
    if (!db) ADD_FAILURE() << "no database: " << why;
    return db;
  }
  void SetUp() override {
    std::string why;
    if (GetParam() == Backend::Postgresql && !PgInstance::Get(&why)) GTEST_SKIP() << why;
  }
};

TEST_P(SchemaTest, CreatedOnceAllOrNothing) {
  auto db = Make(TestDatabase::Content::SchemaOnly);
  ASSERT_TRUE(db);
  EXPECT_FALSE(dbsession::HasSchema(db->Side()));
  dbsession::CreateSchema(db->Side());
  EXPECT_TRUE(dbsession::HasSchema(db->Side()));
  EXPECT_FALSE(dbsession::HasData(db->Side()));
  EXPECT_THROW(dbsession::CreateSchema(db->Side()), dbsession::ScriptError);
  EXPECT_TRUE(dbsession::HasSchema(db->Side()));
}

// A database made before a table was added to the schema gets it at the
// server's start; one that has it is left as it is.
TEST_P(SchemaTest, TablesAddedToTheSchemaAreAddedToAnOlderDatabase) {
  auto db = Make(TestDatabase::Content::Fixture);
  ASSERT_TRUE(db);
  const int ranges = db->Count("SELECT COUNT(*) FROM PROPSERVICO");
  db->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('kept', 'G', "
                "'2024-05-01 10:00:00.000')";
  dbsession::AddMissingTables(db->Side());
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM ATE_GRAVACAO"), 1);
  db->Side() << "DROP TABLE ATE_GRAVACAO";
  dbsession::AddMissingTables(db->Side());
  dbsession::AddMissingTables(db->Side());
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM ATE_GRAVACAO"), 0);
  db->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('x', 'D', "
                "'2024-05-01 10:00:00.000')";
  EXPECT_THROW(db->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('x', 'G', "
                             "'2024-05-01 10:00:00.000')",
               soci::soci_error);
  EXPECT_THROW(db->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('y', 'X', "
                             "'2024-05-01 10:00:00.000')",
               soci::soci_error);
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM PROPSERVICO"), ranges);
}

TEST_P(SchemaTest, LogIdsAreGenerated) {
  auto db = Make(TestDatabase::Content::Fixture);
  ASSERT_TRUE(db);
  for (int i = 0; i < 2; ++i) {
    db->Side() << "INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO) VALUES ('2024-05-01 10:00:00.000', "
                  "'ana', 'I')";
  }
  EXPECT_EQ(db->Count("SELECT COUNT(DISTINCT IDLOG) FROM PROPSERVICO_LOG"), 2);
  EXPECT_THROW(db->Side() << "INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO) VALUES "
                             "('2024-05-01 10:00:00', 'ana', 'X')",
               soci::soci_error);
}

TEST_P(SchemaTest, DemoHoldsWhatTheScreenNeeds) {
  auto db = Make(TestDatabase::Content::Demo);
  ASSERT_TRUE(db);
  EXPECT_TRUE(dbsession::HasData(db->Side()));
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM FILIAL"), 3);
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM COMPANHIA"), 4);
  EXPECT_GE(db->Count("SELECT COUNT(*) FROM VOO"), 40);
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM (SELECT NRVOO FROM TRECHO GROUP BY CDFILIAL, CDCIA, NRVOO "
                      "HAVING COUNT(*) > 3) X"),
            0);
  EXPECT_GE(db->Count("SELECT COUNT(*) FROM PRODUTO WHERE IDPRODCOMISS = '1' AND CDNVPRODUTO = 3"), 40);
  EXPECT_GT(db->Count("SELECT COUNT(*) FROM PRODUTO WHERE IDPRODCOMISS <> '1' AND CDNVPRODUTO = 3"), 0);
  EXPECT_EQ(db->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101001' AND NRVOO = '1110'"), 3);
  EXPECT_GT(db->Count("SELECT COUNT(DISTINCT NRVOO) FROM PROPSERVICO"), 5);
}

// The client's lookups run these texts as they are, with text parameters.
// The text in column `column` of every row.
std::vector<std::string> Lookup(soci::session& s, const std::string& sql,
                                std::vector<std::pair<std::string, std::optional<std::string>>> params,
                                std::size_t column = 0) {
  std::vector<std::string> values(params.size());
  std::vector<soci::indicator> inds(params.size());
  soci::statement st(s);
  st.alloc();
  st.prepare(sql);
  for (std::size_t i = 0; i < params.size(); ++i) {
    values[i] = params[i].second.value_or("");
    inds[i] = params[i].second ? soci::i_ok : soci::i_null;
    st.exchange(soci::use(values[i], inds[i], params[i].first));
  }
  soci::row row;
  st.exchange(soci::into(row));
  st.define_and_bind();
  std::vector<std::string> out;
  for (bool more = st.execute(true); more; more = st.fetch()) out.push_back(row.get<std::string>(column));
  return out;
}

const std::string kQryFilial =
    "SELECT\n   CDFILIAL,NMFILIAL\nFROM\n   FILIAL\nWHERE\n   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))\n"
    "ORDER BY\n   CDFILIAL";
const std::string kQryClasse =
    "SELECT CL.SGCLASSE, CC.DSCLASSECIA, CC.CDCLASSE\nFROM CLASSE CL, CLASSECIA  CC\n"
    "WHERE ((:P_SGCLASSE = CL.SGCLASSE) OR (:P_TSGCLASSE = 'T')) AND\n      (CL.CDCLASSE  = CC.CDCLASSE) AND\n"
    "      (CC.CDFILIAL  = :P_CDFILIAL) AND\n      (CC.CDCIA     = :P_CDCIA   )\nORDER BY CL.SGCLASSE ";
const std::string kQryServicoCiaPesq =
    "SELECT PR.CDCIA,PR.CDPRODUTO,PR.NMPRODUTO,PR.CDARVPROD,CL.SGCLASSE,CI.IDCICLO\n"
    "FROM PRODUTO PR,CLASSE CL,CICLO CI\nWHERE (PR.IDPRODCOMISS = '1'           ) AND\n"
    "      (PR.CDNVPRODUTO  = :P_CDNVPRODUTO) AND\n      (PR.CDCIA        = :CDCIA        ) AND\n"
    "      (PR.CDCLASSE     = CL.CDCLASSE   ) AND\n      (CI.CDCICLO      = PR.CDCICLO    ) AND\n"
    "      ((PR.CDARVPROD = :CDARVPROD) OR (:TODOS = 'T'))";
const std::string kQryCiclo =
    "SELECT IDCICLO, CDCICLO\nFROM CICLOCIA\nWHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND\n"
    "      (CDCIA = :P_CDCIA)     AND\n      (CDFILIAL = :P_CDFILIAL)\nORDER BY CDCICLO";

TEST_P(SchemaTest, ClientLookupsRunVerbatim) {
  auto db = Make(TestDatabase::Content::Demo);
  ASSERT_TRUE(db);
  soci::session& s = db->Side();
  using V = std::vector<std::string>;
  EXPECT_EQ(Lookup(s, kQryFilial, {{"P_CDFILIAL", "0002"}, {"P_TCDFILIAL", std::nullopt}}), V{"0002"});
  EXPECT_EQ(Lookup(s, kQryFilial, {{"P_CDFILIAL", std::nullopt}, {"P_TCDFILIAL", "T"}}), (V{"0001", "0002", "0003"}));
  EXPECT_EQ(
      Lookup(s, kQryClasse, {{"P_SGCLASSE", "EXE"}, {"P_TSGCLASSE", ""}, {"P_CDFILIAL", "0001"}, {"P_CDCIA", "0103"}}),
      V{"EXE"});
  EXPECT_EQ(
      Lookup(s, kQryClasse, {{"P_SGCLASSE", ""}, {"P_TSGCLASSE", "T"}, {"P_CDFILIAL", "0001"}, {"P_CDCIA", "0103"}}),
      (V{"ECO", "EXE", "TRIP"}));
  EXPECT_EQ(Lookup(s, kQryServicoCiaPesq,
                   {{"P_CDNVPRODUTO", "3"}, {"CDCIA", "0101"}, {"CDARVPROD", "01.02.003"}, {"TODOS", std::nullopt}}, 3),
            V{"01.02.003"});
  const V all =
      Lookup(s, kQryServicoCiaPesq, {{"P_CDNVPRODUTO", "3"}, {"CDCIA", "0101"}, {"CDARVPROD", ""}, {"TODOS", "T"}}, 3);
  EXPECT_EQ(static_cast<int>(all.size()),
            db->Count("SELECT COUNT(*) FROM PRODUTO WHERE CDCIA = '0101' AND IDPRODCOMISS = '1' AND CDNVPRODUTO = 3"));
  for (const std::string& code : all) EXPECT_NE(code.substr(0, 3), "04.") << "a material listed as a service";
  EXPECT_EQ(Lookup(s, kQryCiclo, {{"P_IDCICLO", std::nullopt}, {"P_CDCIA", "0101"}, {"P_CDFILIAL", "0001"}}),
            (V{"PADRAO", "VERAO", "INVERNO"}));
  EXPECT_EQ(Lookup(s, kQryCiclo, {{"P_IDCICLO", "VERAO"}, {"P_CDCIA", "0101"}, {"P_CDFILIAL", "0001"}}), V{"VERAO"});
}

INSTANTIATE_TEST_SUITE_P(Backends, SchemaTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql),
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace appserver_test
