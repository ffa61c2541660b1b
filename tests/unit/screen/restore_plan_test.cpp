// A restore: the log undone down to the chosen change gives the ranges as
// they were before it, and the change log built from the difference is
// stored by the real server, or refused when a range changed since.
#include "framework/ServerAnswer.h"
#include "packet/ChangeLog.h"
#include "screen/HistoryForm.h"
#include "screen/RestorePlan.h"
#include "screen_fixture.h"
#include "server/ServerMethods.h"
#include "toolkit/data/ClientDataSet.h"

namespace screen_test {
namespace {

using screen_tools::RangeLogStep;
using screen_tools::StoredRange;

StoredRange R(double from, double to, double quantity) { return {from, to, "0001", "0001", quantity}; }

std::string Text(const std::vector<StoredRange>& ranges) {
  std::string text;
  for (const StoredRange& r : ranges)
    text += (text.empty() ? "" : " ") + screen_tools::RangeText(r) + ":" + screen_tools::QuantityText(r);
  return text;
}

// Oldest first: 21-50 from 4 to 5 (id 10), 51-60 added (11), 1-20
// removed (12), 51-60 widened to 51-70 (13).
const std::vector<RangeLogStep> kNewestFirst{
    {13, 'A', R(51, 60, 6), R(51, 70, 6)},
    {12, 'E', R(1, 20, 2), std::nullopt},
    {11, 'I', std::nullopt, R(51, 60, 6)},
    {10, 'A', StoredRange{21, 50, std::nullopt, "0001", 4}, StoredRange{21, 50, std::nullopt, "0001", 5}},
};

TEST(RestorePlan, UndoingTheLogDownToAChangeGivesTheRangesBeforeIt) {
  // A blank class read back where the log holds none: one value.
  const std::vector<StoredRange> current{{21, 50, " ", "0001", 5}, R(51, 70, 6)};
  auto before = [&](std::size_t steps) {
    return Text(screen_tools::RangesBefore(current, {kNewestFirst.begin(), kNewestFirst.begin() + steps}));
  };
  EXPECT_EQ(before(1), "21 a 50:5 51 a 60:6");
  EXPECT_EQ(before(2), "1 a 20:2 21 a 50:5 51 a 60:6");
  EXPECT_EQ(before(4), "1 a 20:2 21 a 50:4");

  const screen_tools::RestorePlan plan =
      screen_tools::PlanRestore(current, screen_tools::RangesBefore(current, kNewestFirst));
  EXPECT_EQ(Text(plan.remove), "51 a 70:6");
  ASSERT_EQ(plan.change.size(), 1u);
  EXPECT_EQ(Text({plan.change[0].before}), "21 a 50:5");
  EXPECT_EQ(Text({plan.change[0].after}), "21 a 50:4");
  EXPECT_EQ(Text(plan.insert), "1 a 20:2");

  // Removes first, then changes, then inserts; every old record is the
  // range as read, so the server can tell a range changed since.
  const packet::ChangeLog log = packet::DecodeChangeLog(
      screen_tools::RestoreChangeLog({"0001", "0101", "1110", "01", "10101001"}, plan));
  ASSERT_EQ(log.changes.size(), 3u);
  EXPECT_EQ(log.changes[0].op, packet::ChangeOp::Delete);
  EXPECT_EQ(log.changes[1].op, packet::ChangeOp::Modify);
  EXPECT_EQ(std::get<std::string>(*packet::FindValue(log.changes[1].oldValues, "CDCLASSE")), " ");
  EXPECT_EQ(std::get<double>(*packet::FindValue(log.changes[1].newValues, "QTSERVICO")), 4);
  EXPECT_EQ(log.changes[2].op, packet::ChangeOp::Insert);
  EXPECT_EQ(std::get<std::string>(*packet::FindValue(log.changes[2].newValues, "CDSERVICO")), "10101001");

  EXPECT_TRUE(screen_tools::PlanRestore(current, current).Empty());
}

TEST(RestorePlan, RangesChangedWithoutTheLogAreNotGuessedAt) {
  // 21-50 holds 9, but the log's last word on it was 5.
  EXPECT_THROW(screen_tools::RangesBefore({R(21, 50, 9), R(51, 70, 6)}, kNewestFirst),
               screen_tools::RestoreMismatch);
  // 1-20 is there although the log removed it and never put it back.
  EXPECT_THROW(screen_tools::RangesBefore({R(1, 20, 2), R(21, 50, 5), R(51, 70, 6)}, kNewestFirst),
               screen_tools::RestoreMismatch);
}

class RestoreOnServer : public ServerCallTest {
 protected:
  std::vector<StoredRange> Stored() {
    toolkit::ClientDataSet rows;
    rows.SetData(framework::CheckResultServ(
        server::GetQtdePropServico(net, "0001", "0101", "10101001", "", "", "1110", "01"), true, 0));
    std::vector<StoredRange> ranges;
    for (rows.First(); !rows.Eof(); rows.Next()) ranges.push_back(*screen_tools::LogSide(rows, ""));
    return ranges;
  }
  framework::ServerAnswer Save(const std::vector<StoredRange>& from, const std::vector<StoredRange>& to) {
    return server::SetQtdePropServico(
        net, screen_tools::RestoreChangeLog({"0001", "0101", "1110", "01", "10101001"},
                                            screen_tools::PlanRestore(from, to)));
  }
};

TEST_F(RestoreOnServer, ThePlanIsStoredAsASaveAndRefusedWhenARangeChangedSince) {
  const std::vector<StoredRange> demo = Stored();
  ASSERT_EQ(Text(demo), "1 a 20:2 21 a 50:4 61 a 220:6");
  std::vector<StoredRange> wanted{demo[0], demo[1], demo[2]};
  wanted[1].quantity = 8;
  wanted.erase(wanted.begin());
  wanted.push_back({221, 240, demo[0].serviceClass, demo[0].cycle, 1});

  // Another station changes 1 to 20 after the plan was read.
  std::vector<StoredRange> changed = demo;
  changed[0].quantity = 3;
  ASSERT_TRUE(Save(demo, changed).ok);
  const framework::ServerAnswer refused = Save(demo, wanted);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.code, rpc::kConflict);
  EXPECT_EQ(Text(Stored()), "1 a 20:3 21 a 50:4 61 a 220:6");

  const framework::ServerAnswer stored = Save(Stored(), wanted);
  ASSERT_TRUE(stored.ok) << stored.message;
  EXPECT_EQ(Text(Stored()), "21 a 50:8 61 a 220:6 221 a 240:1");
  ASSERT_TRUE(Save(Stored(), demo).ok);  // the demo data as the other tests know it
  EXPECT_EQ(Text(Stored()), "1 a 20:2 21 a 50:4 61 a 220:6");
}

}  // namespace
}  // namespace screen_test
