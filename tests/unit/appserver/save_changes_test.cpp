#include <barrier>
#include <thread>

#include "method_test_base.h"

namespace appserver_test {
namespace {

class SaveTest : public MethodTest {
 protected:
  Answer Save(std::vector<json> changes) {
    return Call("SetQtdePropServico", json::array({ChangeLog(std::move(changes))}));
  }
  int Ranges(const std::string& servico) {
    return db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = '" + servico + "' AND CDFILIAL = '0001'");
  }
  int Logs() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG"); }
};

json Insert(json row) { return {{"op", "insert"}, {"new", row}}; }
json Modify(json before, json after) { return {{"op", "modify"}, {"old", before}, {"new", after}}; }
json Delete(json row) { return {{"op", "delete"}, {"old", row}}; }

TEST_P(SaveTest, InsertStoresTheRangeAndItsAuditRow) {
  const Answer a = Save({Insert(Range("S5", 1, 30, 2, "01", "", nullptr))});
  ASSERT_TRUE(a.ok) << a.message;
  EXPECT_EQ(a.result, json::object());
  // Blank class and cycle come from the product (EXE, VERAO).
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S5' AND QTPAXDE = 1 AND QTPAXATE = 30 "
                       "AND QTSERVICO = 2 AND CDCLASSE = '0002' AND CDCICLO = '0002'"),
            1);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'I' AND NMUSUARIO = 'ana' "
                       "AND DTLOG IS NOT NULL AND CDSERVICO_OLD IS NULL AND QTPAXDE_OLD IS NULL "
                       "AND CDSERVICO_NEW = 'S5' AND QTPAXATE_NEW = 30 AND CDCLASSE_NEW = '0002'"),
            1);
}

TEST_P(SaveTest, ModifyAndDeleteLogOldAndNewValues) {
  ASSERT_TRUE(Save({Modify(Range("S1", 1, 20, 2), Range("S1", 1, 20, 3))}).ok);
  ASSERT_TRUE(Save({Delete(Range("S1", 21, 50, 4))}).ok);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S1' AND QTPAXDE = 1 AND QTSERVICO = 3"), 1);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S1' AND QTPAXDE = 21"), 0);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'A' AND QTSERVICO_OLD = 2 "
                       "AND QTSERVICO_NEW = 3 AND QTPAXDE_OLD = 1 AND QTPAXDE_NEW = 1"),
            1);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E' AND QTPAXDE_OLD = 21 "
                       "AND QTSERVICO_OLD = 4 AND CDCLASSE_OLD = '0001' AND QTPAXDE_NEW IS NULL"),
            1);
}

TEST_P(SaveTest, ConflictInTheThirdOfFourChangesStoresNothing) {
  const int ranges = db_->Count("SELECT COUNT(*) FROM PROPSERVICO");
  const Answer a = Save({Insert(Range("S5", 1, 10, 1)), Modify(Range("S1", 1, 20, 2), Range("S1", 1, 20, 5)),
                         Delete(Range("S1", 21, 50, 99)),  // the stored quantity is 4
                         Insert(Range("S5", 11, 20, 1))});
  EXPECT_EQ(a.code, 1001);
  EXPECT_EQ(a.data["change"], 2);
  EXPECT_NE(a.message.find("outro usuário"), std::string::npos) << a.message;
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO"), ranges);
  EXPECT_EQ(Ranges("S5"), 0);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S1' AND QTSERVICO = 5"), 0);
  EXPECT_EQ(Logs(), 0);
}

TEST_P(SaveTest, ModifyAfterAnotherUserChangedTheQuantityIsAConflict) {
  db_->Side() << "UPDATE PROPSERVICO SET QTSERVICO = 9 WHERE CDSERVICO = 'S4'";
  EXPECT_EQ(Save({Modify(Range("S4", 1, 20, 3), Range("S4", 1, 20, 4))}).code, 1001);
  db_->Side() << "DELETE FROM PROPSERVICO WHERE CDSERVICO = 'S4'";
  EXPECT_EQ(Save({Delete(Range("S4", 1, 20, 9))}).code, 1001);
  EXPECT_EQ(Logs(), 0);
}

TEST_P(SaveTest, OverlapsDuplicatesAndBadBoundsAreRuleViolations) {
  const std::vector<std::vector<json>> bad{
      {Insert(Range("S1", 15, 30, 1))},                                 // overlaps 1-20 and 21-50
      {Insert(Range("S1", 1, 20, 1))},                                  // same bounds stored
      {Insert(Range("S5", 1, 10, 1)), Insert(Range("S5", 10, 20, 1))},  // overlap inside the log
      {Insert(Range("S5", 0, 10, 1))},
      {Insert(Range("S5", 11, 10, 1))},
      {Insert(Range("S5", 1, 10000, 1))},
      {Insert(Range("S5", 1, nullptr, 1))},
      {Modify(Range("S3", 30, 40, 2), Range("S3", 15, 40, 2))},  // moved onto 10-20
  };
  for (const auto& changes : bad) {
    const Answer a = Save(changes);
    EXPECT_EQ(a.code, 1002) << json(changes).dump() << " " << a.message;
  }
  EXPECT_EQ(Ranges("S5"), 0);
  EXPECT_EQ(Ranges("S3"), 2);
  EXPECT_EQ(Logs(), 0);
  // Replacing ranges in one log is judged on the result: no overlap then.
  EXPECT_TRUE(Save({Delete(Range("S3", 10, 20, 1)), Insert(Range("S3", 5, 29, 1))}).ok);
}

TEST_P(SaveTest, UnknownFlightServiceClassOrCycle) {
  json otherLeg = Range("S5", 1, 10, 1, "09");
  json otherAirline = Range("S1", 1, 10, 1);
  otherAirline["CDCIA"] = "0202";  // ZW has S1 but does not fly 1234
  for (const json& row : {otherLeg, otherAirline, Range("ZZ", 1, 10, 1), Range("M1", 1, 10, 1),
                          Range("S5", 1, 10, 1, "01", "0009"), Range("S5", 1, 10, 1, "01", "0001", "0009")}) {
    const Answer a = Save({Insert(row)});
    EXPECT_EQ(a.code, 1003) << row.dump() << " " << a.message;
  }
  EXPECT_EQ(Logs(), 0);
}

TEST_P(SaveTest, MalformedChangeLogsNameWhatIsWrong) {
  json noField = Range("S5", 1, 10, 1);
  noField.erase("QTPAXATE");
  json textBound = Range("S5", "1", 10, 1);
  json longCode = Range("S5", 1, 10, 1);
  longCode["CDFILIAL"] = "00001";
  const std::vector<std::pair<json, std::string>> bad{
      {ChangeLog({Insert(noField)}), "QTPAXATE"},
      {ChangeLog({Insert(textBound)}), "QTPAXDE"},
      {ChangeLog({Insert(longCode)}), "CDFILIAL"},
      {ChangeLog({{{"op", "upsert"}, {"new", Range("S5", 1, 10, 1)}}}), "op"},
      {ChangeLog({{{"op", "modify"}, {"new", Range("S5", 1, 10, 1)}}}), "old"},
      {json{{"changes", json::array()}, {"extra", 1}}, "extra"},
      {json::object(), "changes"}};
  for (const auto& [log, what] : bad) {
    const Answer a = Call("SetQtdePropServico", json::array({log}));
    EXPECT_EQ(a.code, -32602) << log.dump();
    EXPECT_NE(a.message.find(what), std::string::npos) << a.message;
  }
  EXPECT_EQ(Ranges("S5"), 0);
  EXPECT_TRUE(Call("SetQtdePropServico", json::array({ChangeLog({})})).ok)
      << "an empty log stores nothing and succeeds";
}

TEST_P(SaveTest, TwoClientsSavingOverlappingRangesAtOnce) {
  // Each thread has its own connection, as the server's workers do.
  std::barrier start(2);
  Answer answers[2];
  auto save = [&](int i, json row) {
    start.arrive_and_wait();
    answers[i] = Save({Insert(std::move(row))});
  };
  std::thread a(save, 0, Range("S5", 1, 50, 1));
  std::thread b(save, 1, Range("S5", 40, 90, 1));
  a.join();
  b.join();
  EXPECT_NE(answers[0].ok, answers[1].ok) << answers[0].message << " / " << answers[1].message;
  EXPECT_EQ(answers[answers[0].ok ? 1 : 0].code, 1002);
  EXPECT_EQ(Ranges("S5"), 1);
  EXPECT_EQ(Logs(), 1);
}

TEST_P(SaveTest, QuotesAndSqlInValuesAreStoredAsText) {
  json row = Range("S5", 1, 10, 1);
  row["CDSERVICO"] = "S'; --";
  EXPECT_EQ(Save({Insert(row)}).code, 1003);
  Caller other(db_->Where(), "o'brien; DROP TABLE PROPSERVICO_LOG; --");
  ASSERT_TRUE(other.Call("SetQtdePropServico", json::array({ChangeLog({Insert(Range("S5", 1, 10, 1))})})).ok);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'o''brien; DROP TABLE "
                       "PROPSERVICO_LOG; --'"),
            1);
}

INSTANTIATE_TEST_SUITE_P(Backends, SaveTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
