// Change logs a hostile client holding the token might send: moving a range
// to another branch or flight, rows with fields the screen never sends,
// quantities no user can type, saves too large to run. Each is refused
// whole with -32602 naming what is wrong, and nothing is stored.

#include <gmock/gmock.h>

#include "appserver/ChangeRecords.h"
#include "method_test_base.h"
#include "rpc/Message.h"

namespace appserver_test {
namespace {

using testing::HasSubstr;

json Insert(json row) { return {{"op", "insert"}, {"new", row}}; }
json Modify(json before, json after) { return {{"op", "modify"}, {"old", before}, {"new", after}}; }
json Delete(json row) { return {{"op", "delete"}, {"old", row}}; }

class StrictChangesTest : public MethodTest {
 protected:
  void SetUp() override {
    MethodTest::SetUp();
    if (IsSkipped()) return;
    ranges_ = Ranges();
  }
  Answer Save(std::vector<json> changes) {
    return Call("SetQtdePropServico", json::array({ChangeLog(std::move(changes))}));
  }
  // Every stored range as text, to show that a refused save changed none.
  std::string Ranges() {
    return std::to_string(db_->Count("SELECT COUNT(*) FROM PROPSERVICO")) + "/" +
           std::to_string(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDFILIAL = '0001' AND CDCIA = '0101' "
                                     "AND NRVOO = '1234' AND CDTRECHO = '01'")) +
           "/" + std::to_string(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE QTSERVICO = 2"));
  }
  // The save is refused as malformed, naming `what`, and stores nothing.
  void ExpectRefused(const std::vector<json>& changes, const std::string& what) {
    const Answer a = Save(changes);
    EXPECT_EQ(a.code, rpc::kInvalidParams) << json(changes).dump().substr(0, 300) << " -> " << a.message;
    EXPECT_THAT(a.message, HasSubstr(what));
    EXPECT_EQ(Ranges(), ranges_);
    EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG"), 0);
  }

  std::string ranges_;
};

TEST_P(StrictChangesTest, AModifyCannotMoveARangeToAnotherKey) {
  const json stored = Range("S1", 1, 20, 2);
  for (const auto& [column, other] : std::vector<std::pair<std::string, std::string>>{
           {"CDFILIAL", "0002"}, {"CDCIA", "0202"}, {"NRVOO", "4321"}, {"CDTRECHO", "02"}, {"CDSERVICO", "S5"}}) {
    json moved = stored;
    moved[column] = other;
    // A harmless change first: the whole log goes, not just the bad change.
    ExpectRefused({Insert(Range("S5", 1, 10, 1)), Modify(stored, moved)}, column);
    EXPECT_EQ(Save({Modify(stored, moved)}).data["field"], column);
  }
  // The bounds and the other values may change, under the range rules.
  const Answer a = Save({Modify(stored, Range("S1", 1, 15, 3))});
  EXPECT_TRUE(a.ok) << a.message;
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S1' AND QTPAXATE = 15 AND QTSERVICO = 3"),
            1);
}

TEST_P(StrictChangesTest, RowsHoldExactlyTheColumnsOfARange) {
  json extra = Range("S5", 1, 10, 1);
  extra["IDADMIN"] = "S";
  ExpectRefused({Insert(extra)}, "IDADMIN");
  ExpectRefused({Modify(extra, extra)}, "IDADMIN");
  ExpectRefused({Insert(Range("S5", 11, 20, 1)), Delete(extra)}, "IDADMIN");
  json missing = Range("S5", 1, 10, 1);
  missing.erase("CDCICLO");
  ExpectRefused({Insert(missing)}, "CDCICLO");
  // Names are matched regardless of case, as the data packets have them.
  json lower = Range("S5", 1, 10, 1);
  lower["qtservico"] = lower["QTSERVICO"];
  lower.erase("QTSERVICO");
  EXPECT_TRUE(Save({Insert(lower)}).ok);
}

TEST_P(StrictChangesTest, QuantitiesAreThoseTheScreenAccepts) {
  for (const json& quantity : {json(100000), json(1e300), json(-1), json(-0.5)}) {
    ExpectRefused({Insert(Range("S5", 1, 10, quantity))}, "QTSERVICO");
    ExpectRefused({Modify(Range("S1", 1, 20, 2), Range("S1", 1, 20, quantity))}, "QTSERVICO");
  }
  EXPECT_TRUE(Save({Insert(Range("S5", 1, 10, 99999)), Insert(Range("S5", 11, 20, 0)),
                    Insert(Range("S5", 21, 30, 7.5)), Insert(Range("S5", 31, 40, nullptr))})
                  .ok);
  // A stored quantity out of the bounds can still be named to delete its row.
  db_->Side() << "UPDATE PROPSERVICO SET QTSERVICO = 250000 WHERE CDSERVICO = 'S4'";
  const Answer a = Save({Delete(Range("S4", 1, 20, 250000))});
  EXPECT_TRUE(a.ok) << a.message;
}

TEST_P(StrictChangesTest, OneSaveHoldsAtMostTheLimitOfChanges) {
  // Deletes of ranges never stored: past the limit check, the first one is
  // a conflict, so the answer tells which check refused the save.
  std::vector<json> changes;
  for (std::size_t i = 0; i <= appserver::kMaxChangesPerSave; ++i)
    changes.push_back(Delete(Range("S5", static_cast<double>(i + 1), static_cast<double>(i + 1), 1)));
  ExpectRefused(changes, "at most " + std::to_string(appserver::kMaxChangesPerSave) + " changes");
  changes.pop_back();
  const Answer a = Save(changes);
  EXPECT_EQ(a.code, rpc::kConflict) << a.message;
  EXPECT_EQ(a.data["change"], 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, StrictChangesTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql),
                         ParamName);

// Numbers a double cannot hold never reach a row, whatever way the change
// log arrives.
TEST(ReadChanges, RefusesNumbersOutOfTheRangeOfADouble) {
  const std::string row =
      R"({"CDFILIAL":"0001","CDCIA":"0101","NRVOO":"1234","CDTRECHO":"01","CDSERVICO":"S5","QTPAXDE":1,)"
      R"("QTPAXATE":10,"CDCLASSE":null,"CDCICLO":null,"QTSERVICO":)";
  for (const char* number : {"1e400", "-1e400"}) {
    try {
      appserver::ReadChanges(R"({"changes":[{"op":"insert","new":)" + row + number + "}}]}");
      ADD_FAILURE() << number << " was read";
    } catch (const rpc::RpcError& e) {
      EXPECT_EQ(e.Code(), rpc::kInvalidParams);
      EXPECT_THAT(e.what(), HasSubstr("out of the range of a double"));
    }
  }
}

}  // namespace
}  // namespace appserver_test
