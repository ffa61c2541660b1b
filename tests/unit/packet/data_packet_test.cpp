#include "packet/DataPacket.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "error_of.h"

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using packet::DataPacket;
using packet::DecodePacket;
using packet::EncodePacket;
using packet::FieldType;
using packet::PacketError;
using packet::Row;
using packet::Value;
using testing::HasSubstr;

namespace {

DataPacket SamplePacket() {
  DataPacket p;
  p.fields = {{"CDCIA", FieldType::String, 4}, {"NMCIA", FieldType::String, 40}, {"MAXPAX", FieldType::Float, 0}};
  p.rows = {
      {std::string("0001"), std::string("Proporção"), 20.0},
      {Value(), std::string("say \"hi\" \\ back\ttab\nline\x01\x1f"), 0.1},
      {std::string("ab"), Value(), 1e300},
      {std::string("\xF0\x9F\x98\x80"), std::string(""), -0.5},
      {Value(), Value(), Value()},
  };
  return p;
}

void ExpectSamePacket(const DataPacket& a, const DataPacket& b) {
  ASSERT_EQ(a.fields.size(), b.fields.size());
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    EXPECT_EQ(a.fields[i].name, b.fields[i].name);
    EXPECT_EQ(a.fields[i].type, b.fields[i].type);
    EXPECT_EQ(a.fields[i].size, b.fields[i].size);
  }
  EXPECT_EQ(a.rows, b.rows);
}

const std::string kHead =
    R"({"fields":[{"name":"CDCIA","type":"string","size":4},{"name":"MAXPAX","type":"float"}],"rows":)";

}  // namespace

TEST(DataPacketRoundTrip, KeepsEveryValue) {
  const DataPacket p = SamplePacket();
  const DataPacket back = DecodePacket(EncodePacket(p));
  ExpectSamePacket(p, back);
  EXPECT_EQ(back.FieldIndex("maxpax"), 2);
  EXPECT_EQ(back.FieldIndex("MAXPAXX"), -1);
}

TEST(DataPacketRoundTrip, WritesTheWireForm) {
  DataPacket p;
  p.fields = {{"CDCIA", FieldType::String, 4}, {"MAXPAX", FieldType::Float, 0}};
  p.rows = {{std::string("0001"), 20.0}, {Value(), -0.0}, {std::string("\"\\\t\x01"), 1e300}};
  EXPECT_EQ(EncodePacket(p), kHead + R"([["0001",20.0],[null,-0.0],["\"\\\t\u0001",1e+300]]})");
}

TEST(DataPacketDecode, AcceptsAnyMemberOrderAndWhitespace) {
  const DataPacket p = DecodePacket(R"( { "rows" : [ ["x", 3] , [null,-1.5E2] ] ,
      "fields" : [ {"size":4, "type":"string", "name":"CDCIA"}, {"type":"float","name":"MAXPAX"} ] } )");
  ASSERT_EQ(p.fields.size(), 2u);
  EXPECT_EQ(p.fields[0].size, 4);
  EXPECT_EQ(p.fields[1].type, FieldType::Float);
  EXPECT_EQ(p.rows, (std::vector<Row>{{std::string("x"), 3.0}, {Value(), -150.0}}));
  // Size counts characters, not bytes.
  EXPECT_NO_THROW(DecodePacket(kHead + R"([["çççç",1]]})"));
}

TEST(DataPacketDecode, RejectsBadCells) {
  const std::pair<std::string, std::string> cases[] = {
      {R"([["0001",20],["x","20"]])", "data packet: row 1, field 'MAXPAX': expected a number or null, got a string"},
      {R"([[true,20]])", "row 0, field 'CDCIA': expected a string or null, got a boolean"},
      {R"([[["a"],20]])", "row 0, field 'CDCIA': expected a string or null, got an array"},
      {R"([["abcde",1]])", "row 0, field 'CDCIA': text of 5 characters is longer than the field's size 4"},
      {R"([["ççççç",1]])", "text of 5 characters is longer"},
      {R"([["a"]])", "row 0: has 1 values, expected 2"},
      {R"([["a",1,2,3]])", "row 0: has 4 values, expected 2"},
      {R"([{"CDCIA":"a"}])", "row 0: expected an array, got an object"},
      {R"({})", "'rows' must be an array, got an object"},
  };
  for (const auto& [rows, message] : cases) {
    EXPECT_THAT(ErrorOf([&] { DecodePacket(kHead + rows + "}"); }), HasSubstr(message)) << rows;
  }
  // Rows that come first are checked against the fields all the same.
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"rows":[[1]],"fields":[{"name":"A","type":"string","size":1}]})"); }),
              HasSubstr("row 0, field 'A': expected a string or null, got a number"));
}

TEST(DataPacketDecode, RejectsBadFields) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"name":"A","type":"int"})", "field 'A': unknown field type 'int'"},
      {R"({"name":"A"})", "field 'A': missing member 'type'"},
      {R"({"type":"float"})", "field 0: missing member 'name'"},
      {R"({"name":"","type":"float"})", "field 0: empty name"},
      {R"({"name":"A","type":"float","width":3})", "field 0: unknown member 'width'"},
      {R"({"name":"A","name":"B","type":"float"})", "field 0: duplicate member 'name'"},
      {R"({"name":"A","type":"string"})", "field 'A': missing member 'size'"},
      {R"({"name":"A","type":"string","size":0})",
       "field 'A': size must be a whole number from 1 to 2147483647, got 0"},
      {R"({"name":"A","type":"string","size":2.5})", "size must be a whole number from 1 to 2147483647, got 2.5"},
      {R"({"name":"A","type":"string","size":1e10})", "size must be a whole number from 1"},
      {R"({"name":"A","type":"string","size":"4"})", "field 0: 'size' must be a number, got a string"},
      {R"({"name":"A","type":"float","size":8})", "field 'A': a float field takes no 'size'"},
      {R"({"name":"A","type":"float"},{"name":"a","type":"float"})", "duplicate field name 'a'"},
      {R"("A")", "field 0: expected an object, got a string"},
  };
  for (const auto& [fields, message] : cases) {
    EXPECT_THAT(ErrorOf([&] { DecodePacket(R"({"fields":[)" + fields + R"(],"rows":[]})"); }), HasSubstr(message))
        << fields;
  }
}

TEST(DataPacketDecode, FindsDuplicatesAmongManyFields) {
  std::string fields;
  for (int i = 0; i < 40; ++i) fields += R"({"name":"F)" + std::to_string(i) + R"(","type":"float"},)";
  const auto decode = [&](const std::string& extra) {
    return ErrorOf([&] { DecodePacket(R"({"fields":[)" + fields + extra + R"(],"rows":[]})"); });
  };
  EXPECT_THAT(decode(R"({"name":"x","type":"float"})"), HasSubstr("<no PacketError>"));
  // The first repeat in field order is named, not the first in sort order.
  EXPECT_THAT(decode(R"({"name":"f2","type":"float"},{"name":"f3","type":"float"})"),
              HasSubstr("duplicate field name 'f2'"));
}

TEST(DataPacketDecode, RejectsBadEnvelope) {
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"fields":[]})"); }), HasSubstr("missing member 'rows'"));
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"rows":[]})"); }), HasSubstr("missing member 'fields'"));
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"fields":[],"rows":[],"extra":1})"); }),
              HasSubstr("unknown member 'extra'"));
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"fields":[],"rows":[],"rows":[]})"); }),
              HasSubstr("duplicate member 'rows'"));
  EXPECT_THAT(ErrorOf([] { DecodePacket(R"({"fields":[],"rows":[]} [])"); }),
              HasSubstr("data packet: unexpected text after the value at byte 24"));
  EXPECT_THAT(ErrorOf([] { DecodePacket(kHead + R"([["a" 1]]})"); }),
              HasSubstr("data packet: expected ',' or ']' at byte"));
  EXPECT_THAT(ErrorOf([] { DecodePacket("[]"); }), HasSubstr("expected an object, got an array at byte 0"));
}

TEST(DataPacketEncode, RejectsWhatCannotBeDecoded) {
  auto encodeRow = [](Row row) {
    DataPacket p;
    p.fields = {{"CDCIA", FieldType::String, 4}, {"MAXPAX", FieldType::Float, 0}};
    p.rows = {{std::string("a"), 1.0}, std::move(row)};
    return ErrorOf([&] { EncodePacket(p); });
  };
  EXPECT_THAT(encodeRow({std::string("a")}), HasSubstr("row 1: has 1 values, expected 2"));
  EXPECT_THAT(encodeRow({1.0, 1.0}), HasSubstr("row 1, field 'CDCIA': expected a string or null, got a number"));
  EXPECT_THAT(encodeRow({Value(), std::string("1")}),
              HasSubstr("field 'MAXPAX': expected a number or null, got a string"));
  EXPECT_THAT(encodeRow({Value(), std::nan("")}), HasSubstr("row 1, field 'MAXPAX': number is not finite"));
  EXPECT_THAT(encodeRow({Value(), -std::numeric_limits<double>::infinity()}), HasSubstr("number is not finite"));
  // Past eight bytes, where the writer scans word by word.
  EXPECT_THAT(encodeRow({std::string("0123456789\xC3("), Value()}),
              HasSubstr("row 1, field 'CDCIA': text is not valid UTF-8"));
  EXPECT_THAT(encodeRow({std::string("abcde"), Value()}), HasSubstr("longer than the field's size 4"));

  DataPacket p;
  p.fields = {{"A", FieldType::Float, 0}, {"a", FieldType::Float, 0}};
  EXPECT_THAT(ErrorOf([&] { EncodePacket(p); }), HasSubstr("duplicate field name 'a'"));
  p.fields = {{"A", FieldType::String, 0}};
  EXPECT_THAT(ErrorOf([&] { EncodePacket(p); }), HasSubstr("field 'A': size must be a whole number from 1"));
  p.fields = {{"A", FieldType::Float, 0}, {"\xE2\x82", FieldType::Float, 0}};
  EXPECT_THAT(ErrorOf([&] { EncodePacket(p); }), HasSubstr("field 1: name is not valid UTF-8"));
}

// A server writes the fields once and many packets after: the text and the
// checks must be those of the whole packet's encoder.
TEST(DataPacketEncode, FieldsWrittenOnceGiveTheSameTextAndTheSameRefusals) {
  const DataPacket p = SamplePacket();
  const packet::PacketFields fields(p.fields);
  EXPECT_EQ(EncodePacket(fields, p.rows), EncodePacket(p));
  EXPECT_EQ(EncodePacket(fields, {}), EncodePacket(DataPacket{p.fields, {}}));
  EXPECT_THAT(ErrorOf([&] { EncodePacket(fields, {{Value(), Value()}}); }), HasSubstr("row 0: has 2 values, expected 3"));
  EXPECT_THAT(ErrorOf([&] { EncodePacket(fields, {{std::string("abcde"), Value(), Value()}}); }),
              HasSubstr("longer than the field's size 4"));
  EXPECT_THAT(ErrorOf([] { packet::PacketFields({{"A", FieldType::Float, 0}, {"a", FieldType::Float, 0}}); }),
              HasSubstr("duplicate field name 'a'"));
}

TEST(DataPacketDecode, NeverCrashesOnDamagedInput) {
  const std::string json = EncodePacket(SamplePacket());
  for (std::size_t n = 0; n < json.size(); ++n) {
    const std::vector<char> cut(json.begin(), json.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THAT(ErrorOf([&] { DecodePacket({cut.data(), n}); }), HasSubstr("data packet: ")) << "length " << n;
  }
  // Whatever a damaged text decodes to must encode again and read back the
  // same: the two directions accept the same packets.
  std::mt19937 rng(12345);
  const char noise[] = "{}[],:\"\\0123456789.eE+-ntfu \xC3\xA7\xFF";
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = json;
    for (int k = 0; k < 3; ++k) damaged[rng() % damaged.size()] = noise[rng() % (sizeof noise - 1)];
    DataPacket p;
    try {
      p = DecodePacket(damaged);
    } catch (const PacketError&) {
      continue;
    }
    EXPECT_NO_THROW(ExpectSamePacket(p, DecodePacket(EncodePacket(p)))) << damaged;
  }
}
