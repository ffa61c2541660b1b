// Queries on a demo general database: parameters, dialect texts, field
// mapping, the local cache and the text scanner.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "framework/GeneralDatabase.h"
#include "framework/LocalCache.h"
#include "framework/Query.h"
#include "toolkit/data/DatabaseError.h"

namespace {

namespace fs = std::filesystem;

class Query : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = fs::temp_directory_path() / ("ate-query-" + std::to_string(::getpid()) + ".db");
    auto session = dbsession::Open(dbsession::ParseUrl("sqlite:" + path_.string()));
    dbsession::CreateSchema(*session);
    dbsession::LoadDemo(*session);
  }
  static void TearDownTestSuite() { fs::remove(path_); }
  void SetUp() override {
    db.adcGeral->Open("sqlite:" + path_.string());
    q.SetConnection(db.adcGeral);
    q.SetName("qryFilial");
    q.AddStringField("CDFILIAL", 4);
    q.AddStringField("NMFILIAL", 30);
    q.SetSQL({"SELECT", "   CDFILIAL,NMFILIAL", "FROM", "   FILIAL", "WHERE",
              "   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", "ORDER BY", "   CDFILIAL"});
  }
  void TearDown() override { framework::LocalCache::Instance().Reset(); }
  static inline fs::path path_;
  framework::TdtmDBGeral db;
  framework::TADOIBQuery q;
};

TEST_F(Query, OneBranchOrAllWithTheFlag) {
  q.ParamByName("p_cdfilial").SetAsString("0002");
  q.ParamByName("P_TCDFILIAL").SetAsString("");
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("CDFILIAL").AsString(), "0002");
  EXPECT_THROW(q.SetSQL({"SELECT 1"}), toolkit::EDatabaseError);
  q.Close();
  q.ParamByName("P_CDFILIAL").Clear();
  q.ParamByName("P_TCDFILIAL").SetAsString("T");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);
  EXPECT_THROW(q.ParamByName("P_OUTRO"), toolkit::EDatabaseError);
}

TEST_F(Query, ValuesAreBoundNeverPasted) {
  q.ParamByName("P_CDFILIAL").SetAsString("0001' OR '1'='1");
  q.ParamByName("P_TCDFILIAL").SetAsString("");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 0);
}

TEST_F(Query, MissingFieldOrBrokenTextIsADatabaseError) {
  framework::TADOIBQuery other;
  other.SetConnection(db.adcGeral);
  other.AddStringField("NADA", 4);
  other.SetSQL({"SELECT CDFILIAL FROM FILIAL"});
  EXPECT_THROW(other.Open(), toolkit::EDatabaseError);
  EXPECT_FALSE(other.Active());
  framework::TADOIBQuery broken;
  broken.SetConnection(db.adcGeral);
  broken.AddStringField("X", 4);
  broken.SetSQL({"SELEC X FROM"});
  EXPECT_THROW(broken.Open(), toolkit::EDatabaseError);
  framework::TADOIBQuery unconnected;
  unconnected.AddStringField("X", 4);
  unconnected.SetSQL({"SELECT 1 AS X"});
  EXPECT_THROW(unconnected.Open(), toolkit::EDatabaseError);
}

TEST_F(Query, CachedTablesAnswerFromTheCacheUntilRefreshed) {
  auto& cache = framework::LocalCache::Instance();
  cache.SetCachedTables({"filial"});
  q.ParamByName("P_CDFILIAL").Clear();
  q.ParamByName("P_TCDFILIAL").SetAsString("T");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);
  q.Close();
  soci::session& s = db.adcGeral->Session();
  s << "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Nova')";
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);  // still the kept rows
  q.Close();
  framework::AtualizaLocalCache({"FILIAL"});
  EXPECT_EQ(cache.RefreshCount("filial"), 1);
  q.Open();
  EXPECT_EQ(q.RecordCount(), 4);
  q.Close();
  s << "DELETE FROM FILIAL WHERE CDFILIAL = '0009'";
  // A null and an empty parameter are different questions.
  q.ParamByName("P_CDFILIAL").SetAsString("");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 3);
}

TEST(QueryText, ParametersTablesAndDialects) {
  EXPECT_EQ(framework::ParamNames("SELECT ':NO' , :A, x::text, :b, :A FROM T WHERE y = ':C'"),
            (std::vector<std::string>{"A", "b"}));
  framework::TADOIBQuery q;
  q.SetSQL({"SELECT PR.CDCIA FROM PRODUTO PR,CLASSE CL,CICLO CI", "WHERE PR.X = :A",
            "AND EXISTS (SELECT 1 FROM CICLOCIA CC JOIN FILIAL F ON F.X = CC.Y)"});
  EXPECT_EQ(q.Tables(), (std::vector<std::string>{"PRODUTO", "CLASSE", "CICLO", "CICLOCIA", "FILIAL"}));
  q.ParamByName("A").SetAsString("1");
  q.SetSQL({"SELECT 1 FROM T WHERE :A = :B"});
  EXPECT_EQ(q.ParamByName("A").AsString(), "1");  // kept across the new text
  EXPECT_TRUE(q.ParamByName("B").IsNull());
  q.SetDialectSQL(framework::TSqlDialect::MSSQL, {"SELECT 2"});
  EXPECT_EQ(q.ActiveSQL(), "SELECT 1 FROM T WHERE :A = :B");  // no connection: the default text
}

}  // namespace
