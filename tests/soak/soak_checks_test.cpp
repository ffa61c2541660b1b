#include <gtest/gtest.h>

#include <thread>

#include "KeyCycle.h"
#include "Keys.h"
#include "Latency.h"
#include "Ledger.h"
#include "RangeQuery.h"
#include "Watchdog.h"
#include "appserver/ChangeRecords.h"
#include "backend.h"
#include "rpc/Client.h"

namespace soak {
namespace {

const LegService kA{"0001", "0101", "AA", "1110", "02", "10101002"};
const LegService kB{"0001", "0101", "AA", "1117", "01", "10101002"};

// Stores the three ranges of a save, as rows, log rows or both.
void Store(Stored& s, const LegService& key, int save, bool rows, bool logs, int howMany = 3) {
  const int first = SlotOf(save).firstPax;
  for (int pax = first; pax < first + howMany; ++pax) {
    if (rows) ++s.rows[PaxKey(key, pax)];
    if (logs) ++s.logs[PaxKey(key, pax)];
  }
}

TEST(SoakLedger, JudgesEachSaveByWhatIsStoredAndWhatWasAcknowledged) {
  using O = Outcome;
  const ClientLedger client{"crash-0", {kA}, {O::Acked, O::Acked, O::InFlight, O::InFlight, O::Acked, O::Acked}};
  Stored s;
  Store(s, kA, 0, true, true);
  Store(s, kA, 1, true, true, 2);  // a save cut in two: lost and half applied
  Store(s, kA, 2, true, true);     // in flight, stored
  // save 3: in flight, not stored; save 4: acknowledged, nothing stored
  Store(s, kA, 5, true, false);    // rows without their log
  ++s.rows[PaxKey(kA, 9000)];      // a row no save wrote
  ++s.logs["?17"];                 // a log row that is no insert

  const Tally t = Judge(client, s);
  EXPECT_EQ(t.acked, 4);
  EXPECT_EQ(t.inFlightStored, 1);
  EXPECT_EQ(t.inFlightNotStored, 1);
  EXPECT_EQ(t.lost, 2);
  EXPECT_EQ(t.halfApplied, 1);
  EXPECT_EQ(t.logMismatch, 1);  // save 5; save 1 has as many log rows as rows
  EXPECT_EQ(t.unexplained, 2);
  EXPECT_FALSE(t.Sound());
}

TEST(SoakLedger, SoundWhenEveryAcknowledgedSaveIsWhollyThereAcrossKeys) {
  ClientLedger client{"crash-1", {kA, kB}, {}};
  Stored s;
  for (int n : {0, 1, kSavesPerKey - 1, kSavesPerKey}) {
    client.saves.resize(static_cast<std::size_t>(n) + 1, Outcome::InFlight);
    client.saves[static_cast<std::size_t>(n)] = Outcome::Acked;
    Store(s, n < kSavesPerKey ? kA : kB, n, true, true);
  }
  const Tally t = Judge(client, s);
  EXPECT_TRUE(t.Sound()) << (t.problems.empty() ? "" : t.problems[0]);
  EXPECT_EQ(t.acked, 4);
  EXPECT_EQ(t.inFlightNotStored, static_cast<int>(client.saves.size()) - 4);
}

TEST(SoakLedger, SaveLogsAreWhatTheServerReads) {
  // The last save on the first key ends at 9999 passengers; the next one
  // starts the second key at 1.
  const auto last = appserver::ReadChanges(SaveLogJson({kA, kB}, kSavesPerKey - 1));
  ASSERT_EQ(last.size(), 3u);
  EXPECT_EQ(last[2].after.ate, 9999);
  EXPECT_EQ(last[2].after.voo, "1110");
  const auto next = appserver::ReadChanges(SaveLogJson({kA, kB}, kSavesPerKey));
  EXPECT_EQ(next[0].op, packet::ChangeOp::Insert);
  EXPECT_EQ(next[0].after.voo, "1117");
  EXPECT_EQ(next[0].after.de, 1);
  EXPECT_FALSE(next[0].after.classe);
  EXPECT_THROW(SaveLogJson({kA, kB}, 2 * kSavesPerKey), std::out_of_range);

  const auto modify = appserver::ReadChanges(ChangeLogJson(
      kA, {{RangeChange::Op::Modify, Range{101, 200, 2}, Range{101, 200, 5}},
           {RangeChange::Op::Delete, Range{1, 100, 1}, std::nullopt}}));
  ASSERT_EQ(modify.size(), 2u);
  EXPECT_EQ(modify[0].before.qtservico, 2);
  EXPECT_EQ(modify[0].after.qtservico, 5);
  EXPECT_EQ(modify[1].op, packet::ChangeOp::Delete);
  EXPECT_EQ(modify[1].before.ate, 100);
  EXPECT_THROW(ChangeLogJson(kA, {{RangeChange::Op::Delete, std::nullopt, std::nullopt}}), std::invalid_argument);
}

// The soak clients' round of saves, on the real methods: each save is
// accepted and leaves the key in the state the client expects next.
TEST(SoakKeyCycle, EverySaveOfTheCycleIsStoredAsTheClientExpects) {
  struct Release {
    ~Release() { test_support::Backend::Release(); }
  } release;
  const LegService key = FreeLegServices(test_support::Backend::Get().DatabaseUrl(), 1).at(0);
  rpc::Client client("127.0.0.1", test_support::Backend::Get().Port());
  client.Connect("Ate11600.rdmPropPass", "soak-test", "");
  int state = 0;
  for (int save = 0; save < 6; ++save) {
    const auto ranges = RangesOf(client.Call("GetQtdePropServico", RangesQuery(key)));
    ASSERT_EQ(StateOf(ranges), state) << "before save " << save << ":" << RangesText(ranges);
    const Step step = StepFrom(state);
    client.Call("SetQtdePropServico", {rpc::Param::Json(ChangeLogJson(key, step.changes))});
    state = step.next;
  }
  EXPECT_EQ(state, 0);
  EXPECT_EQ(StateOf({{1, 100, 1}}), kUnknownState);
  EXPECT_THROW(StepFrom(kUnknownState), std::invalid_argument);
}

TEST(SoakLatencies, MergesKindsAndCountsFailedCallsAsCalls) {
  Latencies a, b;
  for (std::uint32_t us = 1; us <= 10; ++us) a.Add("GetMaiorPax", us);
  b.Add("GetMaiorPax", 11);
  b.Error("SetQtdePropServico");
  a.Merge(b);
  EXPECT_EQ(a.Calls("GetMaiorPax"), 11u);
  EXPECT_EQ(a.Calls("SetQtdePropServico"), 1u);
  EXPECT_EQ(a.Calls(), 12u);
  EXPECT_EQ(a.Errors(), 1u);
  const std::vector<std::uint32_t> sorted{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(Percentile(sorted, 50), 5u);
  EXPECT_EQ(Percentile(sorted, 99), 10u);
  EXPECT_EQ(Percentile({}, 99), 0u);
}

TEST(SoakWatchdogDeathTest, EndsTheProgramWhenThePhaseOverrunsItsBudget) {
  EXPECT_EXIT(
      {
        Watchdog w(std::chrono::seconds(1), "the test phase");
        std::this_thread::sleep_for(std::chrono::seconds(30));
      },
      ::testing::ExitedWithCode(3), "hard time-out: the test phase");
}

}  // namespace
}  // namespace soak
