// Saves that carry an identity and a deadline, and the question that
// settles one (GetSituacaoGravacao): whatever the client is told about a
// save must stay true.
#include <chrono>
#include <thread>

#include "appserver/Replies.h"
#include "appserver/SettledSaves.h"
#include "method_test_base.h"

namespace appserver_test {
namespace {

using std::chrono::system_clock;

double EpochMs(system_clock::time_point t) {
  return static_cast<double>(std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
}

const json kInsertS5 = {{"op", "insert"}, {"new", Range("S5", 1, 30, 2)}};

class SaveIdentityTest : public MethodTest {
 protected:
  Answer Save(const std::string& id, system_clock::time_point deadline) {
    return Call("SetQtdePropServico", json::array({ChangeLog({kInsertS5}), id, EpochMs(deadline)}));
  }
  Answer Situation(const std::string& id) { return Call("GetSituacaoGravacao", json::array({id})); }
  // The situation the server gives, checking the answer's shape.
  std::string SituationOf(const std::string& id) {
    const std::vector<json> rows =
        Rows(Situation(id), {{"IDGRAVACAO", packet::FieldType::String, 40}, {"IDSITUACAO", packet::FieldType::String, 1}});
    if (rows.size() != 1) return "rows: " + std::to_string(rows.size());
    EXPECT_EQ(rows[0][0], id);
    return rows[0][1];
  }
  int StoredS5() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDSERVICO = 'S5'"); }
  int Logs() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG"); }
  int Settled(const std::string& situation) {
    return db_->Count("SELECT COUNT(*) FROM ATE_GRAVACAO WHERE IDSITUACAO = '" + situation + "'");
  }
  static system_clock::time_point Later() { return system_clock::now() + std::chrono::minutes(5); }
};

TEST_P(SaveIdentityTest, ASavePastItsDeadlineStoresNothingAndIsThenSettledAsNotStored) {
  const Answer late = Save("a1", system_clock::now() - std::chrono::seconds(1));
  EXPECT_EQ(late.code, rpc::kSaveTooLate);
  EXPECT_EQ(late.data["reason"], "deadline");
  EXPECT_NE(late.message.find("não foi gravada"), std::string::npos) << late.message;
  EXPECT_EQ(StoredS5(), 0);
  EXPECT_EQ(Logs(), 0);
  EXPECT_EQ(Settled("G"), 0);
  EXPECT_EQ(SituationOf("a1"), "D");
}

TEST_P(SaveIdentityTest, ASaveGivenUpBeforeItArrivesIsRefusedForGood) {
  EXPECT_EQ(SituationOf("b2"), "D");
  const Answer refused = Save("b2", Later());
  EXPECT_EQ(refused.code, rpc::kSaveTooLate);
  EXPECT_EQ(refused.data["reason"], "given up");
  EXPECT_EQ(StoredS5(), 0);
  EXPECT_EQ(Logs(), 0);
  EXPECT_EQ(SituationOf("b2"), "D");
  // Another identity is a save of its own.
  ASSERT_TRUE(Save("b3", Later()).ok);
  EXPECT_EQ(StoredS5(), 1);
}

TEST_P(SaveIdentityTest, ASaveRepeatedAfterItWasStoredAnswersSuccessAndStoresOnce) {
  const Answer first = Save("c3", Later());
  ASSERT_TRUE(first.ok) << first.message;
  EXPECT_EQ(SituationOf("c3"), "G");
  // Stored again, the insert would be refused as a duplicate; the deadline
  // no longer matters either.
  const Answer again = Save("c3", system_clock::now() - std::chrono::seconds(1));
  EXPECT_TRUE(again.ok) << again.code << " " << again.message;
  EXPECT_EQ(StoredS5(), 1);
  EXPECT_EQ(Logs(), 1);
  EXPECT_EQ(Settled("G"), 1);
  EXPECT_EQ(SituationOf("c3"), "G");
}

TEST_P(SaveIdentityTest, ASaveThatFailsLeavesItsIdentityFreeUntilAsked) {
  json overlap = {{"op", "insert"}, {"new", Range("S1", 15, 30, 1)}};
  const Answer refused = Call("SetQtdePropServico", json::array({ChangeLog({overlap}), "d4", EpochMs(Later())}));
  EXPECT_EQ(refused.code, rpc::kRuleViolated);
  EXPECT_EQ(Settled("G") + Settled("D"), 0);
  EXPECT_EQ(SituationOf("d4"), "D");
}

// The client asks while the save still holds its transaction open (here
// another session plays the settling side): one of them waits, and the save
// is refused instead of failing on the key.
TEST_P(SaveIdentityTest, ASettlementInFlightWinsOverTheSaveWithoutAStorageFailure) {
  soci::transaction settling(db_->Side());
  db_->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('e5', 'D', "
                 "'2024-05-01 10:00:00.000')";
  Answer answer;
  std::thread saving([&] { answer = Save("e5", Later()); });
  // Gives the save the chance to reach the key first; either way the
  // outcome is the same.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  settling.commit();
  saving.join();
  EXPECT_EQ(answer.code, rpc::kSaveTooLate) << answer.message;
  EXPECT_EQ(StoredS5(), 0);
}

TEST_P(SaveIdentityTest, IdentitiesAndDeadlinesAreChecked) {
  for (const json& id : {json(""), json(std::string(41, 'a')), json("a b"), json("x'--"), json(7)}) {
    EXPECT_EQ(Call("SetQtdePropServico", json::array({ChangeLog({kInsertS5}), id, 1.0})).code, rpc::kInvalidParams)
        << id;
    EXPECT_EQ(Call("GetSituacaoGravacao", json::array({id})).code, rpc::kInvalidParams) << id;
  }
  EXPECT_EQ(Call("SetQtdePropServico", json::array({ChangeLog({kInsertS5}), "f6", "amanhã"})).code,
            rpc::kInvalidParams);
  EXPECT_EQ(Call("GetSituacaoGravacao", json::array()).code, rpc::kInvalidParams);
  EXPECT_EQ(StoredS5(), 0);
  // Forty characters is the most an identity has.
  EXPECT_EQ(SituationOf(std::string(40, 'f')), "D");
}

TEST_P(SaveIdentityTest, RowsOlderThanTheCutoffAreForgotten) {
  const auto now = system_clock::now();
  for (const auto& [id, when] : {std::pair{"old", now - std::chrono::hours(24 * 40)}, std::pair{"new", now}}) {
    db_->Side() << "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES ('" << id << "', 'G', '"
                << appserver::UtcTimestamp(when) << "')";
  }
  appserver::ForgetSettledSaves(caller_->Db().Local(), appserver::UtcTimestamp(now - appserver::kSettledSavesKept));
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM ATE_GRAVACAO WHERE IDGRAVACAO = 'old'"), 0);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM ATE_GRAVACAO WHERE IDGRAVACAO = 'new'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, SaveIdentityTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql),
                         ParamName);

}  // namespace
}  // namespace appserver_test
