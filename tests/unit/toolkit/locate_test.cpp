// Locate on one, two and three keys, compared as text.
#include <gtest/gtest.h>

#include "event_log.h"

using namespace toolkit;

namespace {

// Airline rows: CDCIA, NRVOO, CDTRECHO, DSTRECHO, QTD (float).
class LocateTest : public ::testing::Test {
 protected:
  ClientDataSet ds;
  void SetUp() override {
    packet::DataPacket p;
    p.fields = {{"CDCIA", packet::FieldType::String, 4},
                {"NRVOO", packet::FieldType::String, 5},
                {"CDTRECHO", packet::FieldType::String, 4},
                {"DSTRECHO", packet::FieldType::String, 13},
                {"QTD", packet::FieldType::Float, 0}};
    auto row = [](const char* cia, const char* voo, const char* tr, const char* ds, double q) {
      return packet::Row{std::string(cia), std::string(voo), std::string(tr), std::string(ds), q};
    };
    p.rows = {row("0001", "1234", "01", "São Paulo", 20), row("0001", "1234", "02", "Brasília", 21),
              row("0002", "1234", "01", "Recife", 1.5), row("0001", "5678", "01", "ÁGUA BRANCA", 0)};
    ds.SetData(std::move(p));
  }
  std::string Trecho() { return ds.FieldByName("DSTRECHO").AsString(); }
};

TEST_F(LocateTest, TwoAndThreeKeys) {
  EXPECT_TRUE(ds.Locate("CDCIA;NRVOO", {"0001", "5678"}));
  EXPECT_EQ(Trecho(), "ÁGUA BRANCA");
  EXPECT_TRUE(ds.Locate("CDCIA;NRVOO;CDTRECHO", {"0001", "1234", "02"}));
  EXPECT_EQ(Trecho(), "Brasília");
  EXPECT_TRUE(ds.Locate(" CDCIA ; NRVOO ; CDTRECHO ", {"0002", "1234", "01"}));
  EXPECT_EQ(Trecho(), "Recife");
}

TEST_F(LocateTest, AFailedLocateKeepsTheCursor) {
  ds.Locate("CDTRECHO", "02");
  EXPECT_FALSE(ds.Locate("CDCIA;NRVOO;CDTRECHO", {"0001", "1234", "03"}));
  EXPECT_EQ(Trecho(), "Brasília");
}

TEST_F(LocateTest, CaseInsensitiveAlsoForAccentedLetters) {
  EXPECT_FALSE(ds.Locate("DSTRECHO", "são paulo"));
  EXPECT_TRUE(ds.Locate("DSTRECHO", "SÃO PAULO", loCaseInsensitive));
  EXPECT_EQ(ds.RecNo(), 1);
  EXPECT_TRUE(ds.Locate("DSTRECHO", "água branca", loCaseInsensitive));
  EXPECT_EQ(ds.RecNo(), 4);
}

TEST_F(LocateTest, PartialKeyMatchesAPrefix) {
  EXPECT_FALSE(ds.Locate("DSTRECHO", "Bras"));
  EXPECT_TRUE(ds.Locate("DSTRECHO", "Bras", loPartialKey));
  EXPECT_EQ(Trecho(), "Brasília");
  EXPECT_TRUE(ds.Locate("DSTRECHO", "rec", loPartialKey | loCaseInsensitive));
  EXPECT_EQ(Trecho(), "Recife");
}

TEST_F(LocateTest, FloatsCompareByTheirText) {
  EXPECT_TRUE(ds.Locate("QTD", 21));
  EXPECT_EQ(Trecho(), "Brasília");
  EXPECT_TRUE(ds.Locate("QTD", "1,5"));
  EXPECT_EQ(Trecho(), "Recife");
  EXPECT_TRUE(ds.Locate("QTD", 1.5));
  EXPECT_FALSE(ds.Locate("QTD", "1.5"));  // as text, the point is not the comma
}

TEST_F(LocateTest, BadArgumentsAreErrors) {
  EXPECT_THROW(ds.Locate("CDCIA;NOPE", {"0001", "x"}), EDatabaseError);
  EXPECT_THROW(ds.Locate("CDCIA;NRVOO", std::vector<Variant>{"0001"}), EDatabaseError);
  ClientDataSet closed;
  closed.AddStringField("A", 1);
  EXPECT_THROW(closed.Locate("A", "x"), EDatabaseError);
}

TEST_F(LocateTest, SearchesOnlyTheFilteredRows) {
  ds.SetFilter("NRVOO = '5678'");
  ds.SetFiltered(true);
  EXPECT_FALSE(ds.Locate("CDTRECHO", "02"));
  EXPECT_TRUE(ds.Locate("CDCIA", "0001"));
  EXPECT_EQ(Trecho(), "ÁGUA BRANCA");
}

TEST_F(LocateTest, APendingRowIsPostedBeforeTheSearch) {
  ds.Append();
  ds.FieldByName("CDCIA").SetAsString("0009");
  EXPECT_TRUE(ds.Locate("CDCIA", "0009"));
  EXPECT_EQ(ds.State(), DataSetState::dsBrowse);
  EXPECT_EQ(ds.RecordCount(), 5);
}

}  // namespace
