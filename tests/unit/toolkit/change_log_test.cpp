// The change log of a client dataset: what a sequence of edits leaves in
// Delta, CancelUpdates and MergeChangeLog.
#include <gtest/gtest.h>

#include "event_log.h"

using namespace toolkit;
using packet::ChangeOp;

namespace {

class ChangeLogTest : public ::testing::Test {
 protected:
  ClientDataSet ds;
  void SetUp() override {
    testutil::DefineRangeFields(ds);
    ds.SetData(testutil::ThreeRanges());
  }
  Field& F(const char* name) { return ds.FieldByName(name); }
  void AppendRange(double from, double to, double qty) {
    ds.Append();
    F("CDSERVICO").SetAsString("S1");
    F("QTPAXDE").SetAsFloat(from);
    F("QTPAXATE").SetAsFloat(to);
    F("QTSERVICO").SetAsFloat(qty);
    ds.Post();
  }
  void SetQty(double qty) {
    ds.Edit();
    F("QTSERVICO").SetAsFloat(qty);
    ds.Post();
  }
  static double Num(const packet::Record& r, const char* name) { return std::get<double>(*packet::FindValue(r, name)); }
};

TEST_F(ChangeLogTest, EachKindOfChangeCarriesTheRightValues) {
  SetQty(3);                  // modify 1-20
  ds.Last();
  ds.Delete();                // delete 51-9999
  AppendRange(51, 60, 7);     // insert
  EXPECT_EQ(ds.ChangeCount(), 3);
  auto delta = ds.Delta();
  ASSERT_EQ(delta.changes.size(), 3u);
  EXPECT_EQ(delta.changes[0].op, ChangeOp::Delete);
  EXPECT_EQ(Num(delta.changes[0].oldValues, "QTPAXATE"), 9999);
  EXPECT_EQ(delta.changes[1].op, ChangeOp::Modify);
  EXPECT_EQ(Num(delta.changes[1].oldValues, "QTSERVICO"), 2);
  EXPECT_EQ(Num(delta.changes[1].newValues, "QTSERVICO"), 3);
  EXPECT_EQ(delta.changes[2].op, ChangeOp::Insert);
  EXPECT_EQ(Num(delta.changes[2].newValues, "QTPAXATE"), 60);
  // every field of the row, in field order
  ASSERT_EQ(delta.changes[2].newValues.size(), 4u);
  EXPECT_EQ(delta.changes[2].newValues[0].first, "CDSERVICO");
}

TEST_F(ChangeLogTest, ChangesToTheSameRowCollapse) {
  AppendRange(10000, 10001, 1);
  SetQty(5);  // insert then modify stays an insert
  auto delta = ds.Delta();
  ASSERT_EQ(delta.changes.size(), 1u);
  EXPECT_EQ(delta.changes[0].op, ChangeOp::Insert);
  EXPECT_EQ(Num(delta.changes[0].newValues, "QTSERVICO"), 5);

  ds.Delete();  // insert then delete leaves nothing
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Delta().changes.empty());

  ds.First();
  SetQty(8);
  SetQty(9);
  ds.Delete();  // modify then delete: a delete of the original
  delta = ds.Delta();
  ASSERT_EQ(delta.changes.size(), 1u);
  EXPECT_EQ(delta.changes[0].op, ChangeOp::Delete);
  EXPECT_EQ(Num(delta.changes[0].oldValues, "QTSERVICO"), 2);
}

TEST_F(ChangeLogTest, EditsThatChangeNothingLeaveNoEntry) {
  ds.Edit();
  F("QTSERVICO").SetAsFloat(2);  // same value
  ds.Post();
  EXPECT_EQ(ds.ChangeCount(), 0);
  SetQty(4);
  SetQty(2);  // back to the original
  EXPECT_EQ(ds.ChangeCount(), 0);
}

TEST_F(ChangeLogTest, TheOpenInsertIsNotPartOfTheLog) {
  ds.Insert();
  F("QTPAXDE").SetAsFloat(1);
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Delta().changes.empty());
  EXPECT_EQ(ds.Data().rows.size(), 3u);
}

TEST_F(ChangeLogTest, CancelUpdatesReturnsToTheBaseInItsOrder) {
  ds.Next();
  SetQty(40);       // modify 21-50
  ds.First();
  ds.Delete();      // delete 1-20
  AppendRange(60, 70, 1);
  ds.First();
  ds.Insert();      // an insert at the top, still open
  F("QTPAXDE").SetAsFloat(0);
  ds.Locate("QTPAXDE", 51);  // posts it
  ds.Delete();      // delete 51-9999
  ASSERT_EQ(testutil::Lows(ds), "0 21 60");
  ds.Locate("QTPAXDE", 21);

  ds.CancelUpdates();
  EXPECT_EQ(testutil::Lows(ds), "1 21 51");
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_EQ(F("QTPAXDE").AsFloat(), 21);  // still on its row
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 4);
}

TEST_F(ChangeLogTest, CancelUpdatesCancelsTheOpenRowWithItsEvents) {
  testutil::EventLog log;
  log.Attach(ds);
  SetQty(10);
  ds.Insert();
  log.Take();
  ds.CancelUpdates();
  EXPECT_EQ(log.Take(), "BeforeCancel, BeforeScroll, State:browse, AfterCancel, AfterScroll");
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 2);
  // The pattern of an AfterCancel handler that drops every local change.
  ds.AfterCancel = [](DataSet& d) { static_cast<ClientDataSet&>(d).CancelUpdates(); };
  AppendRange(100, 200, 1);
  ds.Edit();
  ds.Cancel();
  EXPECT_EQ(testutil::Lows(ds), "1 21 51");
}

TEST_F(ChangeLogTest, MergeMakesTheCurrentRowsTheBase) {
  SetQty(10);
  AppendRange(10000, 10001, 1);
  ds.MergeChangeLog();
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Delta().changes.empty());
  ds.First();
  ds.Delete();
  ds.CancelUpdates();
  EXPECT_EQ(testutil::Lows(ds), "1 21 51 10000");
  ds.First();
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 10);
}

TEST_F(ChangeLogTest, WithoutLoggingChangesGoStraightToTheBase) {
  ds.SetLogChanges(false);
  SetQty(10);
  AppendRange(100, 200, 1);
  ds.First();
  ds.Delete();
  EXPECT_EQ(ds.ChangeCount(), 0);
  ds.SetLogChanges(true);
  SetQty(11);
  ds.CancelUpdates();
  EXPECT_EQ(testutil::Lows(ds), "21 51 100");
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 4);
}

TEST_F(ChangeLogTest, UnloggedRowsKeepTheirPlaceWhenLoggedChangesAreCancelled) {
  ds.Last();
  ds.Delete();  // logged
  ds.SetLogChanges(false);
  ds.First();
  ds.Next();
  ds.Insert();  // unlogged, between 1 and 21
  F("QTPAXDE").SetAsFloat(10);
  ds.Post();
  ds.SetLogChanges(true);
  ds.CancelUpdates();
  EXPECT_EQ(testutil::Lows(ds), "1 10 21 51");
}

TEST_F(ChangeLogTest, EmptyDataSetClearsRowsAndLog) {
  SetQty(10);
  ds.EmptyDataSet();
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Active());
  EXPECT_EQ(ds.ChangeCount(), 0);
  EXPECT_TRUE(ds.Eof());
  ds.CancelUpdates();
  EXPECT_TRUE(ds.IsEmpty());
}

}  // namespace

namespace {

TEST_F(ChangeLogTest, DeltaJsonIsTheEncodedDelta) {
  EXPECT_EQ(ds.DeltaJson(), packet::EncodeChangeLog(ds.Delta()));  // empty log
  SetQty(3);
  ds.Last();
  ds.Delete();
  AppendRange(51, 60, 7);
  ds.Edit();
  F("CDSERVICO").SetAsString("Ação \"x\"");
  ds.Post();
  ds.Insert();  // open: not part of it
  std::string json = ds.DeltaJson();
  EXPECT_EQ(json, packet::EncodeChangeLog(ds.Delta()));
  auto back = packet::DecodeChangeLog(json);
  ASSERT_EQ(back.changes.size(), 3u);
  EXPECT_EQ(std::get<std::string>(*packet::FindValue(back.changes[2].newValues, "CDSERVICO")), "Ação \"x\"");
}

}  // namespace
