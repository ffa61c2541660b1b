// The order of dataset events for every operation, and what an aborting
// handler leaves behind.
#include <gtest/gtest.h>

#include "event_log.h"
#include "toolkit/data/Abort.h"

using namespace toolkit;
using testutil::EventLog;

namespace {

class DataSetEvents : public ::testing::Test {
 protected:
  ClientDataSet ds;
  EventLog log;
  void SetUp() override {
    ds.SetName("cdsQtde");
    testutil::DefineRangeFields(ds);
    log.Attach(ds);
    ds.SetData(testutil::ThreeRanges());
    log.Take();
  }
  Field& F(const char* name) { return ds.FieldByName(name); }
};

TEST_F(DataSetEvents, InsertEditPostCancel) {
  ds.Insert();
  EXPECT_EQ(log.Take(), "BeforeInsert, BeforeScroll, State:insert, AfterInsert, AfterScroll");
  F("QTPAXDE").SetAsFloat(100);
  ds.Post();
  EXPECT_EQ(log.Take(), "UpdateData, BeforePost, State:browse, AfterPost");

  ds.Edit();
  EXPECT_EQ(log.Take(), "BeforeEdit, State:edit, AfterEdit");
  ds.Cancel();
  EXPECT_EQ(log.Take(), "BeforeCancel, State:browse, AfterCancel");

  ds.Insert();
  log.Take();
  ds.Cancel();
  EXPECT_EQ(log.Take(), "BeforeCancel, BeforeScroll, State:browse, AfterCancel, AfterScroll");
}

TEST_F(DataSetEvents, PostStoresBetweenBeforeAndAfter) {
  int countAtBefore = -1, countAtAfter = -1;
  ds.BeforePost = [&](DataSet& d) { countAtBefore = d.RecordCount(); };
  ds.AfterPost = [&](DataSet& d) { countAtAfter = d.RecordCount(); };
  ds.Append();
  F("QTPAXDE").SetAsFloat(100);
  ds.Post();
  EXPECT_EQ(countAtBefore, 3);
  EXPECT_EQ(countAtAfter, 4);
}

TEST_F(DataSetEvents, DeleteFromBrowseAndFromEdit) {
  ds.Delete();
  EXPECT_EQ(log.Take(), "BeforeDelete, BeforeScroll, AfterDelete, AfterScroll");
  EXPECT_EQ(testutil::Lows(ds), "21 51");
  ds.Edit();
  log.Take();
  ds.Delete();
  EXPECT_EQ(log.Take(), "BeforeDelete, BeforeScroll, State:browse, AfterDelete, AfterScroll");
  EXPECT_EQ(testutil::Lows(ds), "51");
}

TEST_F(DataSetEvents, DeleteOfAnInsertCancelsIt) {
  ds.Insert();
  log.Take();
  ds.Delete();
  EXPECT_EQ(log.Take(), "BeforeCancel, BeforeScroll, State:browse, AfterCancel, AfterScroll");
  EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(DataSetEvents, MovesFireScrollEventsOnlyWhenTheyMove) {
  ds.Next();
  EXPECT_EQ(log.Take(), "BeforeScroll, AfterScroll");
  ds.Last();
  EXPECT_EQ(log.Take(), "BeforeScroll, AfterScroll");
  EXPECT_TRUE(ds.Eof());
  ds.Next();
  EXPECT_EQ(log.Take(), "BeforeScroll");
  EXPECT_EQ(ds.RecNo(), 3);
  ds.First();
  ds.Prior();
  EXPECT_EQ(log.Take(), "BeforeScroll, AfterScroll, BeforeScroll");
  EXPECT_TRUE(ds.Bof());
  EXPECT_FALSE(ds.Locate("QTPAXDE", 999));
  EXPECT_EQ(log.Take(), "BeforeScroll");
  EXPECT_TRUE(ds.Locate("QTPAXDE", 51));
  EXPECT_EQ(log.Take(), "BeforeScroll, AfterScroll");
  EXPECT_EQ(ds.MoveBy(-5), -2);
  EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(DataSetEvents, WalkingVisitsEveryRowOnce) {
  std::string seen;
  for (ds.First(); !ds.Eof(); ds.Next()) seen += F("QTPAXDE").AsString() + ";";
  EXPECT_EQ(seen, "1;21;51;");
}

TEST_F(DataSetEvents, AMovePostsAModifiedRowAndCancelsAnUntouchedOne) {
  ds.Edit();
  F("QTSERVICO").SetAsFloat(9);
  log.Take();
  ds.Next();
  EXPECT_EQ(log.Take(), "UpdateData, UpdateData, BeforePost, State:browse, AfterPost, BeforeScroll, AfterScroll");
  ds.First();
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 9);

  ds.Insert();
  log.Take();
  ds.Next();
  EXPECT_EQ(log.Take(),
            "UpdateData, BeforeCancel, BeforeScroll, State:browse, AfterCancel, AfterScroll, BeforeScroll, AfterScroll");
  EXPECT_EQ(ds.RecordCount(), 3);
}

TEST_F(DataSetEvents, InsertPostsThePendingRowFirst) {
  ds.Append();
  F("QTPAXDE").SetAsFloat(10000);
  log.Take();
  ds.Insert();
  EXPECT_EQ(log.Take(),
            "UpdateData, UpdateData, BeforePost, State:browse, AfterPost, "
            "BeforeInsert, BeforeScroll, State:insert, AfterInsert, AfterScroll");
  EXPECT_EQ(ds.RecordCount(), 4);
}

TEST_F(DataSetEvents, EditOnAnEmptyDataSetInserts) {
  ds.SetData(testutil::RangePacket({}));
  log.Take();
  ds.Edit();
  EXPECT_EQ(ds.State(), DataSetState::dsInsert);
  EXPECT_EQ(log.Take(), "BeforeInsert, BeforeScroll, State:insert, AfterInsert, AfterScroll");
  EXPECT_FALSE(ds.IsEmpty());
  EXPECT_EQ(ds.RecordCount(), 0);
}

TEST_F(DataSetEvents, SetDataReplacesWithoutRowEvents) {
  ds.Insert();
  F("QTPAXDE").SetAsFloat(7);
  log.Take();
  ds.SetData(testutil::RangePacket({{std::string("S2"), 1.0, 5.0, 1.0}}));
  EXPECT_EQ(log.Take(), "State:inactive, State:browse, AfterScroll");
  EXPECT_EQ(ds.RecordCount(), 1);
  EXPECT_EQ(F("CDSERVICO").AsString(), "S2");

  ds.SetData(testutil::RangePacket({}));
  EXPECT_EQ(log.Take(), "State:inactive, State:browse");

  ClientDataSet fresh;
  testutil::DefineRangeFields(fresh);
  EventLog freshLog;
  freshLog.Attach(fresh);
  fresh.SetData(testutil::RangePacket({}));
  EXPECT_EQ(freshLog.Take(), "State:browse");
}

TEST_F(DataSetEvents, AbortingBeforeHandlersLeaveTheDataSetAsItWas) {
  ds.Next();
  ds.BeforeInsert = [](DataSet&) { Abort(); };
  EXPECT_THROW(ds.Insert(), EAbort);
  EXPECT_EQ(ds.State(), DataSetState::dsBrowse);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(ds.ViewCount(), 3);
  ds.BeforeInsert = nullptr;

  ds.BeforeScroll = [](DataSet&) { Abort(); };
  EXPECT_THROW(ds.Next(), EAbort);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_THROW(ds.Insert(), EAbort);
  EXPECT_EQ(ds.ViewCount(), 3);
  EXPECT_THROW(ds.Delete(), EAbort);
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.BeforeScroll = nullptr;

  ds.Edit();
  F("QTSERVICO").SetAsFloat(42);
  ds.BeforePost = [](DataSet&) { Abort(); };
  EXPECT_THROW(ds.Post(), EAbort);
  EXPECT_EQ(ds.State(), DataSetState::dsEdit);
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 42);
  // A refused post stops a move, too.
  EXPECT_THROW(ds.Next(), EAbort);
  EXPECT_EQ(ds.RecNo(), 2);
  EXPECT_EQ(ds.State(), DataSetState::dsEdit);
}

TEST_F(DataSetEvents, AFailingAfterHandlerLeavesTheOperationStanding) {
  ds.AfterInsert = [](DataSet&) { throw std::runtime_error("server down"); };
  EXPECT_THROW(ds.Insert(), std::runtime_error);
  EXPECT_EQ(ds.State(), DataSetState::dsInsert);
  EXPECT_EQ(log.Take(), "BeforeInsert, BeforeScroll, State:insert");
}

TEST_F(DataSetEvents, HandlerMayDetachItselfWhileRunning) {
  int runs = 0;
  ds.AfterScroll = [&](DataSet& d) {
    ++runs;
    d.AfterScroll = nullptr;
  };
  ds.Next();
  ds.Next();
  EXPECT_EQ(runs, 1);
}

TEST_F(DataSetEvents, ModifiedTracksAssignments) {
  ds.AfterInsert = [](DataSet& d) { d.FieldByName("QTPAXDE").SetAsFloat(1); };
  ds.Insert();
  EXPECT_TRUE(ds.Modified());
  ds.Cancel();
  EXPECT_FALSE(ds.Modified());
  ds.Edit();
  EXPECT_FALSE(ds.Modified());
  log.link.field = &F("QTSERVICO");
  log.link.text = "3";
  ds.Post();  // the pending cell text is written before the post
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 3);
}

}  // namespace

namespace {

// A Before... handler that reloads the very dataset being edited must not
// leave the operation writing into a row that is gone.
TEST_F(DataSetEvents, AHandlerThatReloadsTheDataSetStopsTheOperation) {
  ds.Edit();
  F("QTSERVICO").SetAsFloat(42);
  ds.BeforePost = [](DataSet& d) { static_cast<ClientDataSet&>(d).SetData(testutil::ThreeRanges()); };
  EXPECT_THROW(ds.Post(), EDatabaseError);
  ds.BeforePost = nullptr;
  EXPECT_EQ(ds.State(), DataSetState::dsBrowse);
  EXPECT_EQ(testutil::Lows(ds), "1 21 51");
  EXPECT_EQ(F("QTSERVICO").AsFloat(), 2);

  ds.BeforeDelete = [](DataSet& d) { static_cast<ClientDataSet&>(d).EmptyDataSet(); };
  EXPECT_THROW(ds.Delete(), EDatabaseError);
  EXPECT_TRUE(ds.IsEmpty());
  ds.BeforeDelete = nullptr;

  ds.SetData(testutil::ThreeRanges());
  ds.BeforeInsert = [](DataSet& d) { d.Edit(); };
  EXPECT_THROW(ds.Insert(), EDatabaseError);
  EXPECT_EQ(ds.ViewCount(), 3);
}

}  // namespace
