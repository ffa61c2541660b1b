// The host's local cache: what it keeps, what a refresh drops, and lookups
// answered from it on a demo database.
#include <gtest/gtest.h>

#include <memory>

#include "appserver/db/Soci.h"
#include "demo_database.h"
#include "framework/GeneralDatabase.h"
#include "framework/LocalCache.h"
#include "framework/Query.h"

namespace {

using framework::LocalCache;

packet::DataPacket Rows(const char* value) {
  packet::DataPacket p;
  p.fields.push_back({"V", packet::FieldType::String, 10});
  p.rows.push_back({std::string(value)});
  return p;
}

std::string Kept(const LocalCache& cache, const std::string& key) {
  auto rows = cache.Find(key);
  return rows ? std::get<std::string>(rows->rows.at(0).at(0)) : "(none)";
}

class Cache : public ::testing::Test {
 protected:
  void SetUp() override { cache.Reset(); }
  void TearDown() override { cache.Reset(); }
  LocalCache& cache = LocalCache::Instance();
};

TEST_F(Cache, CachesOnlyQueriesWhoseTablesAreAllKept) {
  cache.SetCachedTables({"filial", "CLASSE"});
  EXPECT_EQ(cache.CachedTables(), (std::set<std::string>{"CLASSE", "FILIAL"}));
  EXPECT_TRUE(cache.Caches({"FILIAL"}));
  EXPECT_TRUE(cache.Caches({"Classe", "FILIAL"}));
  EXPECT_FALSE(cache.Caches({"CLASSE", "CLASSECIA"}));
  EXPECT_FALSE(cache.Caches({}));  // a text without tables reads nothing to keep
}

TEST_F(Cache, RefreshDropsTheEntriesReadingTheTableAndCounts) {
  cache.SetCachedTables({"A", "B"});
  cache.Store("ka", {"a"}, Rows("1"));
  cache.Store("kab", {"A", "B"}, Rows("2"));
  cache.Store("kb", {"B"}, Rows("3"));
  cache.Store("kb", {"B"}, Rows("4"));  // the newer rows win
  EXPECT_EQ(cache.EntryCount(), 3);
  EXPECT_EQ(Kept(cache, "kb"), "4");
  cache.Refresh("a");
  EXPECT_EQ(Kept(cache, "ka"), "(none)");
  EXPECT_EQ(Kept(cache, "kab"), "(none)");
  EXPECT_EQ(Kept(cache, "kb"), "4");
  framework::AtualizaLocalCache({"b", "A", "OUTRA"});
  EXPECT_EQ(cache.EntryCount(), 0);
  EXPECT_EQ(cache.RefreshCount("A"), 2);
  EXPECT_EQ(cache.RefreshCount("b"), 1);
  EXPECT_EQ(cache.RefreshCount("OUTRA"), 1);  // counted even with nothing kept
  EXPECT_EQ(cache.RefreshCount("C"), 0);
}

TEST_F(Cache, SettingTheTablesEmptiesAndResetForgetsAll) {
  cache.SetCachedTables({"A"});
  cache.Store("k", {"A"}, Rows("1"));
  cache.Refresh("A");
  cache.Store("k", {"A"}, Rows("1"));
  cache.SetCachedTables({"A"});
  EXPECT_EQ(cache.EntryCount(), 0);
  EXPECT_EQ(cache.RefreshCount("A"), 1);
  cache.Reset();
  EXPECT_TRUE(cache.CachedTables().empty());
  EXPECT_EQ(cache.RefreshCount("A"), 0);
}

class CachedLookup : public Cache {
 protected:
  static void SetUpTestSuite() { demo_ = std::make_unique<framework_test::DemoDatabase>("cache"); }
  static void TearDownTestSuite() { demo_.reset(); }
  void SetUp() override {
    Cache::SetUp();
    db.adcGeral->Open(demo_->Url());
    Filial(q);
  }
  void Filial(framework::TADOIBQuery& query) {
    query.SetConnection(db.adcGeral);
    query.AddStringField("CDFILIAL", 4);
    query.SetSQL({"SELECT CDFILIAL, NMFILIAL FROM FILIAL", "WHERE (CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T')"});
    query.ParamByName("P_TCDFILIAL").SetAsString("T");
  }
  int Count(framework::TADOIBQuery& query) {
    query.Close();
    query.Open();
    return query.RecordCount();
  }
  void Exec(const char* sql) { db.adcGeral->Session() << sql; }

  static inline std::unique_ptr<framework_test::DemoDatabase> demo_;
  framework::TdtmDBGeral db;
  framework::TADOIBQuery q;
};

TEST_F(CachedLookup, KeptRowsAnswerUntilTheTableIsRefreshed) {
  cache.SetCachedTables({"filial"});
  EXPECT_EQ(Count(q), 3);
  Exec("INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Nova')");
  EXPECT_EQ(Count(q), 3);  // still the kept rows
  EXPECT_EQ(cache.EntryCount(), 1);
  framework::AtualizaLocalCache({"Filial"});
  EXPECT_EQ(Count(q), 4);
  Exec("DELETE FROM FILIAL WHERE CDFILIAL = '0009'");
  EXPECT_EQ(Count(q), 4);
  cache.Refresh("FILIAL");
  EXPECT_EQ(Count(q), 3);
}

TEST_F(CachedLookup, ParameterValuesAndFieldsAreApartInTheKey) {
  cache.SetCachedTables({"FILIAL"});
  q.ParamByName("P_TCDFILIAL").SetAsString("");
  q.ParamByName("P_CDFILIAL").SetAsString("0001");
  EXPECT_EQ(Count(q), 1);
  q.ParamByName("P_CDFILIAL").SetAsString("0002");
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("CDFILIAL").AsString(), "0002");
  // A null and an empty value are different questions.
  q.ParamByName("P_CDFILIAL").Clear();
  q.ParamByName("P_TCDFILIAL").SetAsString("T");
  EXPECT_EQ(Count(q), 3);
  q.ParamByName("P_TCDFILIAL").Clear();
  EXPECT_EQ(Count(q), 0);
  q.ParamByName("P_TCDFILIAL").SetAsString("");
  EXPECT_EQ(Count(q), 0);
  EXPECT_EQ(cache.EntryCount(), 5);
  // The same text over other fields keeps rows of its own.
  framework::TADOIBQuery wider;
  wider.AddStringField("NMFILIAL", 30);
  Filial(wider);
  EXPECT_EQ(Count(wider), 3);
  EXPECT_EQ(wider.FieldByName("NMFILIAL").AsString(), "Cozinha Guarulhos");
}

TEST_F(CachedLookup, QueriesOverTablesNotKeptAlwaysRun) {
  cache.SetCachedTables({"CLASSE"});
  framework::TADOIBQuery classes;
  classes.SetConnection(db.adcGeral);
  classes.SetSQL({"SELECT CL.SGCLASSE FROM CLASSE CL, CLASSECIA CC", "WHERE CL.CDCLASSE = CC.CDCLASSE"});
  const int before = Count(classes);
  EXPECT_EQ(Count(q), 3);
  Exec("DELETE FROM CLASSECIA WHERE CDCIA = '0104'");
  EXPECT_LT(Count(classes), before);
  EXPECT_EQ(cache.EntryCount(), 0);
}

}  // namespace
