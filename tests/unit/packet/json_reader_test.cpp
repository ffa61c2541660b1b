#include "packet/JsonReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "error_of.h"

#include <cmath>
#include <string>
#include <vector>

using packet::JsonReader;
using packet::PacketError;
using testing::HasSubstr;

namespace {

std::string ReadOneString(std::string_view json) {
  JsonReader r(json);
  std::string s = r.ReadString();
  r.ExpectEnd();
  return s;
}

double ReadOneNumber(std::string_view json) {
  JsonReader r(json);
  const double v = r.ReadNumber();
  r.ExpectEnd();
  return v;
}

std::string_view SkipAll(std::string_view json) {
  JsonReader r(json);
  const std::string_view span = r.SkipValue();
  r.ExpectEnd();
  return span;
}

}  // namespace

TEST(JsonReaderStrings, DecodesEscapesAndSurrogatePairs) {
  EXPECT_EQ(ReadOneString(R"("a\"b\\c\/d\b\f\n\r\t")"), "a\"b\\c/d\b\f\n\r\t");
  EXPECT_EQ(ReadOneString(R"("Propor\u00e7\u00E3o")"), "Proporção");
  EXPECT_EQ(ReadOneString(R"("\u20ac\ud83d\ude00")"), "\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(ReadOneString(R"("x\u0000y")"), std::string("x\0y", 3));
  // Raw UTF-8 of every length passes through unchanged.
  EXPECT_EQ(ReadOneString("\"\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80\""), "\xC3\xA7\xE2\x82\xAC\xF0\x9F\x98\x80");
}

TEST(JsonReaderStrings, RejectsBadContent) {
  const std::pair<std::string, std::string> cases[] = {
      {R"("\ud83d")", "lone surrogate"},
      {R"("\ud83d\u0041")", "lone surrogate"},
      {R"("\ude00\ud83d")", "lone surrogate"},
      {R"("\x41")", "invalid escape"},
      {R"("\u12g4")", "invalid \\u escape"},
      {R"("\u12")", "\\u escape"},
      {"\"a\x01\"", "control character"},
      {"\"a\nb\"", "control character"},
      {"\"\xC3\"", "invalid UTF-8"},              // truncated sequence
      {"\"\xC0\x80\"", "invalid UTF-8"},          // overlong
      {"\"\xE0\x80\xAF\"", "invalid UTF-8"},      // overlong
      {"\"\xF0\x8F\xBF\xBF\"", "invalid UTF-8"},  // overlong
      {"\"\xED\xA0\x80\"", "invalid UTF-8"},      // encoded surrogate
      {"\"\xF4\x90\x80\x80\"", "invalid UTF-8"},  // past U+10FFFF
      {"\"\x80\"", "invalid UTF-8"},
      {"\"abc", "unterminated string at byte 0"},
  };
  for (const auto& [json, message] : cases) {
    EXPECT_THAT(ErrorOf([&] { ReadOneString(json); }), HasSubstr(message)) << json;
    // Again past the first eight bytes, where long strings are scanned
    // word by word.
    const std::string late = "\"0123456789" + json.substr(1) + std::string(16, ' ');
    EXPECT_THAT(ErrorOf([&] { ReadOneString(late); }), HasSubstr(message)) << late;
  }
}

TEST(JsonReaderNumbers, FollowsTheGrammar) {
  EXPECT_EQ(ReadOneNumber("0"), 0.0);
  EXPECT_TRUE(std::signbit(ReadOneNumber("-0")));
  EXPECT_EQ(ReadOneNumber("20"), 20.0);
  EXPECT_EQ(ReadOneNumber("-0.5"), -0.5);
  EXPECT_EQ(ReadOneNumber("0.1"), 0.1);
  EXPECT_EQ(ReadOneNumber("1E+2"), 100.0);
  EXPECT_EQ(ReadOneNumber("12.5e-1"), 1.25);
  EXPECT_EQ(ReadOneNumber("1.7976931348623157e308"), 1.7976931348623157e308);

  for (const char* bad : {"+1", "01", "-", "-a", "1.", ".5", "1e", "1e+", "NaN", "Infinity", "0x10", "1.5.2", "1 2"}) {
    EXPECT_THAT(ErrorOf([&] { ReadOneNumber(bad); }), HasSubstr("JSON: ")) << bad;
  }
  EXPECT_THAT(ErrorOf([] { ReadOneNumber("1e400"); }), HasSubstr("out of the range"));
  EXPECT_THAT(ErrorOf([] { ReadOneNumber("-1e400"); }), HasSubstr("out of the range"));
  EXPECT_THAT(ErrorOf([] { ReadOneNumber("007"); }), HasSubstr("leading zero in number at byte 1"));
}

TEST(JsonReaderStructure, WalksObjectsAndArrays) {
  JsonReader r(R"( {"a" : [1, "x", null, true], "b": {}} )");
  std::string name;
  r.BeginObject();
  ASSERT_TRUE(r.NextMember(name));
  EXPECT_EQ(name, "a");
  r.BeginArray();
  ASSERT_TRUE(r.NextElement());
  EXPECT_EQ(r.ReadNumber(), 1.0);
  ASSERT_TRUE(r.NextElement());
  EXPECT_EQ(std::get<std::string>(r.ReadScalar()), "x");
  ASSERT_TRUE(r.NextElement());
  EXPECT_TRUE(packet::IsNull(r.ReadScalar()));
  ASSERT_TRUE(r.NextElement());
  EXPECT_EQ(r.Peek(), JsonReader::Token::True);
  EXPECT_TRUE(r.ReadBool());
  EXPECT_FALSE(r.NextElement());
  ASSERT_TRUE(r.NextMember(name));
  EXPECT_EQ(name, "b");
  r.BeginObject();
  EXPECT_FALSE(r.NextMember(name));
  EXPECT_FALSE(r.NextMember(name));
  r.ExpectEnd();
  EXPECT_EQ(r.Peek(), JsonReader::Token::End);
}

TEST(JsonReaderStructure, RejectsMalformedText) {
  const std::pair<std::string, std::string> cases[] = {
      {"[1,,2]", "unexpected character ',' at byte 3"},
      {"[1 2]", "expected ',' or ']' at byte 3"},
      {"[1,]", "expected a value, got ']'"},
      {R"({"a":1,})", "expected a member name at byte 7"},
      {R"({"a" 1})", "expected ':'"},
      {R"({"a":1 "b":2})", "expected ',' or '}'"},
      {"[tru]", "invalid literal"},
      {"[1] x", "unexpected text after the value at byte 4"},
      {"{} {}", "unexpected text after the value"},
      {"", "expected a value, got the end of the text"},
      {"\xEF\xBB\xBF[]", "unexpected byte 0xEF at byte 0"},
  };
  for (const auto& [json, message] : cases) {
    EXPECT_THAT(ErrorOf([&] { SkipAll(json); }), HasSubstr(message)) << json;
  }
  JsonReader two("1 2");
  two.ReadNumber();
  EXPECT_THAT(ErrorOf([&] { two.ReadNumber(); }), HasSubstr("unexpected text after the value at byte 2"));
  JsonReader r("[true]");
  r.BeginArray();
  ASSERT_TRUE(r.NextElement());
  EXPECT_THAT(ErrorOf([&] { r.ReadScalar(); }), HasSubstr("expected null, a number or a string, got a boolean"));
}

TEST(JsonReaderStructure, LimitsNesting) {
  const int limit = JsonReader::kMaxDepth;
  const std::string deepest = std::string(limit, '[') + std::string(limit, ']');
  EXPECT_EQ(SkipAll(deepest), deepest);
  const std::string tooDeep = "[" + deepest + "]";
  EXPECT_THAT(ErrorOf([&] { SkipAll(tooDeep); }), HasSubstr("nesting deeper than 64 levels"));
  // Far past the limit: must fail cleanly, not overflow anything.
  EXPECT_THAT(ErrorOf([] { SkipAll(std::string(1'000'000, '[')); }), HasSubstr("nesting"));
  EXPECT_THAT(ErrorOf([] { SkipAll(std::string(100'000, '{')); }), HasSubstr("expected a member name"));
}

TEST(JsonReaderSkipValue, ReturnsTheExactSpan) {
  const std::string inner = R"({"rows":[[1,"]}\"",null],[]],"f":{"x":-2.5e3,"y":[true,false]}})";
  const std::string json = "{\"id\":7, \"result\" :\n " + inner + " , \"error\":null}";
  JsonReader r(json);
  std::string name;
  r.BeginObject();
  ASSERT_TRUE(r.NextMember(name));
  EXPECT_EQ(r.SkipValue(), "7");
  ASSERT_TRUE(r.NextMember(name));
  EXPECT_EQ(name, "result");
  const std::string_view span = r.SkipValue();
  EXPECT_EQ(span, inner);
  EXPECT_EQ(span.data(), json.data() + json.find(inner));
  ASSERT_TRUE(r.NextMember(name));
  EXPECT_EQ(name, "error");
  r.ReadNull();
  EXPECT_FALSE(r.NextMember(name));
  r.ExpectEnd();

  EXPECT_EQ(SkipAll(R"(  "x\n"  )"), R"("x\n")");
}

TEST(JsonReaderSkipValue, ValidatesWhatItSkips) {
  EXPECT_THAT(ErrorOf([] { SkipAll(R"({"a":[1,}]})"); }), HasSubstr("expected a value"));
  EXPECT_THAT(ErrorOf([] { SkipAll(R"({"a":"\q"})"); }), HasSubstr("invalid escape"));
  EXPECT_THAT(ErrorOf([] { SkipAll(R"({"a\ud800":1})"); }), HasSubstr("lone surrogate"));
  EXPECT_THAT(ErrorOf([] { SkipAll("[01]"); }), HasSubstr("leading zero"));
}

TEST(JsonReaderSkipValue, EveryTruncationThrows) {
  const std::string json =
      R"({"a":[1,-2.5e+3,true,false,null,"s\"\\\u00e7\ud83d\ude00"],"b":{"c":{},"d":[]},"e":"Propor)"
      "\xC3\xA7\xC3\xA3o\"}";
  ASSERT_EQ(SkipAll(json), json);
  for (std::size_t n = 0; n < json.size(); ++n) {
    // An exact-size copy, so that a read past the end shows under ASan.
    const std::vector<char> cut(json.begin(), json.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THAT(ErrorOf([&] { SkipAll({cut.data(), n}); }), HasSubstr("at byte")) << "length " << n;
  }
}
