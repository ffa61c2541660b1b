// The save's audit rows written several at a time, the delete that checks
// the quantity in the same statement, and the decoding of deltas whose
// records do not all list their fields in one order.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "appserver/ChangeRecords.h"
#include "appserver/Database.h"
#include "appserver/SaveChanges.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "packet/ChangeLog.h"

namespace {

using testing::HasSubstr;

std::string RowJson(int pax, double quantity) {
  const std::string n = std::to_string(pax);
  return R"({"CDSERVICO":"10101002","CDCIA":"0101","QTPAXDE":)" + n + R"(,"QTSERVICO":)" +
         std::to_string(quantity) + R"(,"QTPAXATE":)" + n +
         R"(,"CDCICLO":"0001","CDFILIAL":"0001","CDCLASSE":"0002","NRVOO":"1110","CDTRECHO":"02"})";
}

// count one-passenger ranges from 1; the quantity of the one at `stale` is
// given wrong (0: none is).
std::string Changes(const char* op, int count, int stale = 0) {
  std::string log = R"({"changes":[)";
  for (int k = 1; k <= count; ++k) {
    if (k > 1) log += ",";
    log += std::string(R"({"op":")") + op + R"(",")" + (std::string(op) == "insert" ? "new" : "old") +
           R"(":)" + RowJson(k, k == stale ? 99 : 1) + "}";
  }
  return log + "]}";
}

class SavePaths : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ate-save-paths-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    where_ = {dbsession::Dialect::Sqlite, (dir_ / "ate.db").string()};
    side_ = dbsession::Open(where_);
    dbsession::CreateSchema(*side_);
    dbsession::LoadDemo(*side_);
    db_ = std::make_unique<appserver::Database>(where_);
    session_.user = "ana";
    session_.connected = true;
  }
  void TearDown() override {
    db_.reset();
    side_.reset();
    std::filesystem::remove_all(dir_);
  }

  void Save(const std::string& changeLog) {
    rpc::Request r;
    r.method = "SetQtdePropServico";
    r.params.push_back(rpc::Param::Json(changeLog));
    appserver::SetQtdePropServico(*db_, r, session_);
  }
  int Count(const std::string& sql) {
    int n = 0;
    *side_ << sql, soci::into(n);
    return n;
  }

  std::filesystem::path dir_;
  dbsession::Location where_;
  std::unique_ptr<soci::session> side_;
  std::unique_ptr<appserver::Database> db_;
  rpc::Session session_;
};

TEST_F(SavePaths, EveryChangeGetsItsAuditRowInOrder) {
  // 37: two full groups of audit rows and five left over.
  Save(Changes("insert", 37));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101002' AND CDTRECHO = '02'"), 37);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'I' AND NMUSUARIO = 'ana' "
                  "AND QTPAXDE_NEW = QTPAXATE_NEW AND QTSERVICO_NEW = 1 AND CDCLASSE_NEW = '0002' "
                  "AND CDSERVICO_OLD IS NULL"),
            37);
  // IDLOG follows the order of the changes.
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG A JOIN PROPSERVICO_LOG B ON B.IDLOG = A.IDLOG + 1 "
                  "WHERE B.QTPAXDE_NEW = A.QTPAXDE_NEW + 1"),
            36);

  Save(Changes("delete", 37));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101002' AND CDTRECHO = '02'"), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E' AND QTSERVICO_OLD = 1 "
                  "AND CDCLASSE_OLD = '0002' AND CDCICLO_OLD = '0001' AND QTPAXDE_NEW IS NULL"),
            37);
}

TEST_F(SavePaths, DeleteOfARowWhoseQuantityChangedStoresNothing) {
  Save(Changes("insert", 20));
  try {
    Save(Changes("delete", 20, 18));
    FAIL() << "the stale delete was stored";
  } catch (const rpc::RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kConflict);
    EXPECT_THAT(e.DataJson(), HasSubstr("\"change\":17"));
    EXPECT_THAT(e.what(), HasSubstr("de 18 a 18 passageiros"));
  }
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101002' AND CDTRECHO = '02'"), 20);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E'"), 0);
  // A row already gone is the same conflict.
  *side_ << "DELETE FROM PROPSERVICO WHERE CDTRECHO = '02' AND QTPAXDE = 3";
  EXPECT_THROW(Save(Changes("delete", 3)), rpc::RpcError);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '10101002' AND CDTRECHO = '02'"), 19);
}

TEST(ReadChanges, RecordsInAnotherFieldOrderReadTheRightValues) {
  const auto changes = appserver::ReadChanges(
      R"({"changes":[{"op":"insert","new":{"CDFILIAL":"0001","CDCIA":"0101","NRVOO":"1110","CDTRECHO":"02",)"
      R"("CDSERVICO":"S1","QTPAXDE":1,"QTPAXATE":2,"CDCLASSE":"C1","CDCICLO":"Y1","QTSERVICO":3}},)"
      R"({"op":"insert","new":{"qtservico":30,"cdciclo":null,"CDCLASSE":"C2","QTPAXATE":20,"QTPAXDE":10,)"
      R"("CDSERVICO":"S2","CDTRECHO":"03","NRVOO":"2220","CDCIA":"0202","CDFILIAL":"0002"}}]})");
  ASSERT_EQ(changes.size(), 2u);
  const appserver::PropRow& a = changes[0].after;
  EXPECT_EQ(a.servico, "S1");
  EXPECT_EQ(a.de, 1);
  EXPECT_EQ(a.ate, 2);
  EXPECT_EQ(a.qtservico, 3);
  const appserver::PropRow& b = changes[1].after;
  EXPECT_EQ(b.filial, "0002");
  EXPECT_EQ(b.cia, "0202");
  EXPECT_EQ(b.voo, "2220");
  EXPECT_EQ(b.trecho, "03");
  EXPECT_EQ(b.servico, "S2");
  EXPECT_EQ(b.de, 10);
  EXPECT_EQ(b.ate, 20);
  EXPECT_EQ(b.classe, "C2");
  EXPECT_EQ(b.ciclo, std::nullopt);
  EXPECT_EQ(b.qtservico, 30);
}

TEST(DecodeChangeLog, ARecordAfterAGoodOneIsStillChecked) {
  auto error = [](const std::string& json) {
    try {
      packet::DecodeChangeLog(json);
    } catch (const packet::PacketError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_THAT(error(R"({"changes":[{"op":"insert","new":{"A":1,"B":2}},{"op":"insert","new":{"A":1,"a":2}}]})"),
              HasSubstr("change 1, 'new': duplicate field name 'a'"));
  EXPECT_THAT(error(R"({"changes":[{"op":"insert","new":{"A":1,"B":2}},{"op":"insert","new":{"A":1,"":2}}]})"),
              HasSubstr("change 1, 'new': has a field with an empty name"));
  EXPECT_THAT(error(R"({"changes":[{"op":"insert","new":{"A":1}},{"op":"delete","old":{"A":1,"B":2,"b":3}}]})"),
              HasSubstr("change 1, 'old': duplicate field name 'b'"));
  EXPECT_EQ(error(R"({"changes":[{"op":"insert","new":{"A":1,"B":2}},{"op":"insert","new":{"A":3,"B":4}}]})"), "");
}

}  // namespace
