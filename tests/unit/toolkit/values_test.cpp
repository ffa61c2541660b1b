// Reading and writing field values: nulls, closed datasets, float text,
// sizes, rounding and the errors of bad writes.
#include <gtest/gtest.h>

#include "event_log.h"
#include "toolkit/data/FloatText.h"

using namespace toolkit;

namespace {

TEST(FloatText, ShortestExactFormWithComma) {
  EXPECT_EQ(FloatToText(20), "20");
  EXPECT_EQ(FloatToText(1.5), "1,5");
  EXPECT_EQ(FloatToText(0.1), "0,1");
  EXPECT_EQ(FloatToText(-0.0), "0");
  EXPECT_EQ(FloatToText(-2.25), "-2,25");
  EXPECT_EQ(FloatToText(100000), "100000");  // a quantity typed over the limit reads as typed
  EXPECT_EQ(FloatToText(1e20), "1e+20");
  double third = 1.0 / 3;
  EXPECT_EQ(*TextToFloat(FloatToText(third)), third);
}

TEST(FloatText, ReadsCommaOrPointAndRejectsTheRest) {
  EXPECT_EQ(*TextToFloat("1,5"), 1.5);
  EXPECT_EQ(*TextToFloat(" 1.5 "), 1.5);
  EXPECT_EQ(*TextToFloat("+7"), 7);
  EXPECT_EQ(*TextToFloat("-3"), -3);
  for (const char* bad : {"", " ", "abc", "1,5,0", "1.5x", "+-1", "inf", "nan", "1e999"})
    EXPECT_FALSE(TextToFloat(bad).has_value()) << bad;
}

TEST(VariantValues, ConversionsBetweenKinds) {
  EXPECT_EQ(Variant().AsString(), "");
  EXPECT_EQ(Variant().AsFloat(), 0);
  EXPECT_EQ(Variant(2.5).AsString(), "2,5");
  EXPECT_EQ(Variant("3,25").AsFloat(), 3.25);
  EXPECT_EQ(Variant(true).AsString(), "True");
  EXPECT_TRUE(Variant("TRUE").AsBool());
  EXPECT_THROW(Variant("x").AsFloat(), EConvertError);
  EXPECT_THROW(Variant("x").AsInteger(), EConvertError);
  EXPECT_THROW(Variant(1e300).AsInteger(), EConvertError);
  EXPECT_NE(Variant(1), Variant(1.0));  // same value, other kind
}

TEST(VariantValues, IntegerValueRoundsHalfToEven) {
  EXPECT_EQ(RoundToInteger(2.5), 2);
  EXPECT_EQ(RoundToInteger(3.5), 4);
  EXPECT_EQ(RoundToInteger(-2.5), -2);
  EXPECT_EQ(RoundToInteger(20.4999), 20);
  EXPECT_EQ(RoundToInteger(20.5001), 21);
  EXPECT_EQ(Variant("2,5").AsInteger(), 2);
}

class FieldValues : public ::testing::Test {
 protected:
  ClientDataSet ds;
  void SetUp() override {
    ds.SetName("cdsTeste");
    ds.AddStringField("NMPRODUTO", 5);
    ds.AddFloatField("QTSERVICO");
  }
  void Open(std::vector<packet::Row> rows) {
    packet::DataPacket p;
    p.fields = {{"NMPRODUTO", packet::FieldType::String, 50}, {"QTSERVICO", packet::FieldType::Float, 0}};
    p.rows = std::move(rows);
    ds.SetData(std::move(p));
  }
  Field& Name() { return ds.FieldByName("NMPRODUTO"); }
  Field& Qty() { return ds.FieldByName("QTSERVICO"); }
};

TEST_F(FieldValues, NullsClosedAndEmptyDataSetsReadAsNothing) {
  EXPECT_TRUE(Qty().IsNull());  // closed
  EXPECT_TRUE(Qty().Value().IsNull());
  EXPECT_EQ(Qty().AsString(), "");
  Open({});
  EXPECT_TRUE(Qty().Value().IsNull());  // empty
  EXPECT_EQ(Qty().AsFloat(), 0);
  Open({{packet::Value{}, packet::Value{}}});
  EXPECT_TRUE(Name().IsNull());
  EXPECT_EQ(Name().AsString(), "");
  EXPECT_EQ(Qty().AsFloat(), 0);
  EXPECT_EQ(Qty().AsInteger(), 0);
}

TEST_F(FieldValues, FloatTextBothWays) {
  Open({{std::string("a"), 1.5}});
  EXPECT_EQ(Qty().AsString(), "1,5");
  EXPECT_EQ(Qty().Text(), "1,5");
  ds.Edit();
  Qty().SetAsString("2.75");
  EXPECT_EQ(Qty().AsFloat(), 2.75);
  Qty().SetText("3,5");
  EXPECT_EQ(Qty().AsFloat(), 3.5);
  EXPECT_THROW(Qty().SetAsString("12a"), EConvertError);
  EXPECT_EQ(Qty().AsFloat(), 3.5);  // unchanged
  Qty().SetAsString("");
  EXPECT_TRUE(Qty().IsNull());
  Name().SetAsFloat(0.5);
  EXPECT_EQ(Name().AsString(), "0,5");
  EXPECT_EQ(Name().AsFloat(), 0.5);
}

TEST_F(FieldValues, StringsAreCutToTheFieldSizeInCharacters) {
  Open({{std::string("Proporção de Serviço"), 1.0}});  // longer than the field: cut on load
  EXPECT_EQ(Name().AsString(), "Propo");
  ds.Edit();
  Name().SetAsString("Ação Total");
  EXPECT_EQ(Name().AsString(), "Ação ");
  Name().SetAsString("ÇÇÇÇÇÇ");
  EXPECT_EQ(Name().AsString(), "ÇÇÇÇÇ");
}

TEST_F(FieldValues, WritesNeedEditOrInsertState) {
  Open({{std::string("a"), 1.0}});
  try {
    Qty().SetAsFloat(2);
    FAIL() << "write in browse state";
  } catch (const EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("not in edit or insert mode"), std::string::npos);
  }
  EXPECT_EQ(Qty().AsFloat(), 1);
  ds.Edit();
  Qty().SetReadOnly(true);
  EXPECT_THROW(Qty().SetAsFloat(2), EDatabaseError);
}

TEST_F(FieldValues, UnknownFieldsAreNamedInTheError) {
  EXPECT_EQ(ds.FindField("nope"), nullptr);
  EXPECT_EQ(ds.FindField("qtservico"), &Qty());
  try {
    ds.FieldByName("CDXYZ");
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "cdsTeste: Field 'CDXYZ' not found");
  }
}

TEST_F(FieldValues, OldValueIsTheStoredValueDuringAnEdit) {
  Open({{std::string("a"), 1.0}});
  ds.Edit();
  Qty().SetAsFloat(5);
  EXPECT_EQ(Qty().OldValue(), Variant(1.0));
  EXPECT_EQ(Qty().Value(), Variant(5.0));
  ds.Post();
  EXPECT_EQ(Qty().OldValue(), Variant(5.0));
  ds.Insert();
  EXPECT_TRUE(Qty().OldValue().IsNull());
}

TEST_F(FieldValues, OnChangeFiresAfterEveryAssignment) {
  Open({{std::string("a"), 1.0}});
  std::vector<std::string> seen;
  Qty().OnChange = [&](Field& f) { seen.push_back(f.AsString()); };
  ds.Edit();
  Qty().SetAsFloat(2);
  Qty().SetAsFloat(2);
  Qty().Clear();
  EXPECT_EQ(seen, (std::vector<std::string>{"2", "2", ""}));
}

TEST_F(FieldValues, ShortestTextOfFloatsSurvivesARoundTrip) {
  Open({{std::string("a"), 0.1 + 0.2}});
  std::string text = Qty().AsString();
  ds.Edit();
  Qty().SetAsString(text);
  EXPECT_EQ(Qty().AsFloat(), 0.1 + 0.2);
}

TEST_F(FieldValues, DisplayDefaults) {
  EXPECT_EQ(Name().DisplayLabel(), "NMPRODUTO");
  Name().SetDisplayLabel("Descrição");
  EXPECT_EQ(Name().DisplayLabel(), "Descrição");
  EXPECT_EQ(Name().DisplayWidth(), 5);
  EXPECT_EQ(Qty().DisplayWidth(), 10);
}

}  // namespace
