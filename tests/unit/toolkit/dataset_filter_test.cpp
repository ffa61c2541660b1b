// Filters on a dataset: the visible rows, switching on and off, and what a
// malformed filter leaves.
#include <gtest/gtest.h>

#include "event_log.h"

using namespace toolkit;

namespace {

class DataSetFilter : public ::testing::Test {
 protected:
  ClientDataSet ds;
  void SetUp() override {
    packet::DataPacket p;
    p.fields = {{"SGCIA", packet::FieldType::String, 5},
                {"NRVOO", packet::FieldType::String, 5},
                {"CDTRECHO", packet::FieldType::String, 4}};
    auto row = [](const char* a, const char* b, const char* c) {
      return packet::Row{std::string(a), std::string(b), std::string(c)};
    };
    p.rows = {row("XY", "1234", "01"), row("AB", "1000", "01"), row("XY", "1234", "02"),
              row("XY", "999", "01"), row("XY", "1234", "03")};
    ds.SetData(std::move(p));
  }
  std::string Legs() {
    std::string out;
    for (ds.First(); !ds.Eof(); ds.Next()) out += ds.FieldByName("CDTRECHO").AsString() + " ";
    return out;
  }
};

TEST_F(DataSetFilter, ShowsOnlyMatchingRowsInOrder) {
  ds.SetFilter("SGCIA = 'XY' AND NRVOO = '1234'");
  EXPECT_EQ(ds.RecordCount(), 5);  // not applied until switched on
  ds.SetFiltered(true);
  EXPECT_EQ(ds.RecordCount(), 3);
  EXPECT_EQ(Legs(), "01 02 03 ");
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 5);
  EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(DataSetFilter, ChangingTheTextReappliesAndFiresScrollEvents) {
  testutil::EventLog log;
  log.Attach(ds);
  ds.SetFiltered(true);
  ds.SetFilter("NRVOO = '999'");
  EXPECT_EQ(ds.RecordCount(), 1);
  ds.SetFilter("NRVOO = '0'");
  EXPECT_TRUE(ds.IsEmpty());
  EXPECT_TRUE(ds.Eof());
  EXPECT_TRUE(ds.FieldByName("NRVOO").Value().IsNull());
  EXPECT_EQ(log.Take(), "BeforeScroll, AfterScroll, BeforeScroll, AfterScroll, BeforeScroll, AfterScroll");
}

TEST_F(DataSetFilter, AMalformedFilterLeavesTheDataSetUnfilteredAndUsable) {
  ds.SetFilter("SGCIA = 'XY' AND NRVOO = '1234'");
  ds.SetFiltered(true);
  ds.SetFiltered(false);
  ds.SetFilter("SGCIA = 'X'Y' AND NRVOO = '1234'");  // a quote typed into the airline
  try {
    ds.SetFiltered(true);
    FAIL() << "malformed filter accepted";
  } catch (const EFilterError& e) {
    EXPECT_GT(e.Position(), 0u);
  }
  EXPECT_FALSE(ds.Filtered());
  EXPECT_EQ(ds.RecordCount(), 5);
  ds.SetFilter("");
  EXPECT_TRUE(ds.Locate("CDTRECHO", "03"));
  EXPECT_EQ(ds.RecNo(), 5);
}

TEST_F(DataSetFilter, AMalformedTextOnAFilteredDataSetUnfiltersIt) {
  ds.SetFilter("NRVOO = '999'");
  ds.SetFiltered(true);
  EXPECT_THROW(ds.SetFilter("NRVOO = "), EFilterError);
  EXPECT_FALSE(ds.Filtered());
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST_F(DataSetFilter, AnUnknownFieldIsAnError) {
  ds.SetFilter("NOPE = 1");
  EXPECT_THROW(ds.SetFiltered(true), EFilterError);
  EXPECT_EQ(ds.RecordCount(), 5);
}

TEST_F(DataSetFilter, TheFilterSurvivesANewPacket) {
  ds.SetFilter("SGCIA = 'AB'");
  ds.SetFiltered(true);
  ds.SetData(ds.Data());
  EXPECT_EQ(ds.RecordCount(), 1);
  ds.Close();
  ds.SetFiltered(false);
  ds.SetFilter("SGCIA = 'XY'");
  ds.SetFiltered(true);  // closed: applied when opened
  EXPECT_FALSE(ds.Active());
}

TEST_F(DataSetFilter, RowsEditedOutOfTheFilterLeaveTheView) {
  ds.SetFilter("SGCIA = 'XY'");
  ds.SetFiltered(true);
  ds.Edit();
  ds.FieldByName("SGCIA").SetAsString("ZZ");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 3);
  ds.Append();
  ds.FieldByName("SGCIA").SetAsString("XY");
  ds.Post();
  EXPECT_EQ(ds.RecordCount(), 4);
  ds.SetFiltered(false);
  EXPECT_EQ(ds.RecordCount(), 6);
}

}  // namespace
