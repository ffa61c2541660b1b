#include "packet/ChangeLog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "error_of.h"

#include <cmath>
#include <string>
#include <vector>

using packet::Change;
using packet::ChangeLog;
using packet::ChangeOp;
using packet::DecodeChangeLog;
using packet::EncodeChangeLog;
using packet::PacketError;
using packet::Record;
using packet::Value;
using testing::HasSubstr;

namespace {

ChangeLog SampleLog() {
  ChangeLog log;
  log.changes.push_back({ChangeOp::Insert, {}, {{"CDCIA", std::string("0001")}, {"MAXPAX", 20.0}, {"OBS", Value()}}});
  log.changes.push_back({ChangeOp::Modify,
                         {{"CDCIA", std::string("0002")}, {"MAXPAX", 0.1}, {"OBS", std::string("a\"b\\c\n")}},
                         {{"CDCIA", std::string("0002")}, {"MAXPAX", -0.5}, {"OBS", std::string("Proporção")}}});
  log.changes.push_back({ChangeOp::Delete, {{"CDCIA", std::string("0003")}, {"MAXPAX", 1e300}, {"OBS", Value()}}, {}});
  return log;
}

void ExpectSameLog(const ChangeLog& a, const ChangeLog& b) {
  ASSERT_EQ(a.changes.size(), b.changes.size());
  for (std::size_t i = 0; i < a.changes.size(); ++i) {
    EXPECT_EQ(a.changes[i].op, b.changes[i].op) << i;
    EXPECT_EQ(a.changes[i].oldValues, b.changes[i].oldValues) << i;
    EXPECT_EQ(a.changes[i].newValues, b.changes[i].newValues) << i;
  }
}

std::string DecodeError(const std::string& change) {
  return ErrorOf([&] { DecodeChangeLog(R"({"changes":[)" + change + "]}"); });
}

}  // namespace

TEST(ChangeLogRoundTrip, KeepsEachOperation) {
  const ChangeLog log = SampleLog();
  ExpectSameLog(log, DecodeChangeLog(EncodeChangeLog(log)));
  EXPECT_EQ(DecodeChangeLog(R"({"changes":[]})").changes.size(), 0u);
}

TEST(ChangeLogRoundTrip, WritesTheWireForm) {
  ChangeLog log;
  log.changes.push_back({ChangeOp::Insert, {}, {{"A", 1.0}, {"B", Value()}}});
  log.changes.push_back({ChangeOp::Modify, {{"A", 1.0}}, {{"A", 2.5}}});
  // Records the operation does not take are not written.
  log.changes.push_back({ChangeOp::Delete, {{"A", std::string("x")}}, {{"A", 9.0}}});
  EXPECT_EQ(EncodeChangeLog(log),
            R"({"changes":[{"op":"insert","new":{"A":1.0,"B":null}},)"
            R"({"op":"modify","old":{"A":1.0},"new":{"A":2.5}},{"op":"delete","old":{"A":"x"}}]})");
}

TEST(ChangeLogRoundTrip, FindsValuesByNameIgnoringCase) {
  const Record rec = SampleLog().changes[0].newValues;
  ASSERT_NE(packet::FindValue(rec, "maxpax"), nullptr);
  EXPECT_EQ(*packet::FindValue(rec, "maxpax"), Value(20.0));
  EXPECT_EQ(packet::FindValue(rec, "MAXPA"), nullptr);
}

TEST(ChangeLogDecode, AcceptsMembersInAnyOrder) {
  const ChangeLog log = DecodeChangeLog(R"({"changes":[{"new":{"A":2},"old":{"a":1},"op":"modify"},
      {"old":{"A":1,"B":2},"new":{"B":3,"A":4},"op":"modify"}]})");
  ASSERT_EQ(log.changes.size(), 2u);
  EXPECT_EQ(log.changes[0].op, ChangeOp::Modify);
  EXPECT_EQ(log.changes[0].oldValues, (Record{{"a", 1.0}}));
  EXPECT_EQ(log.changes[1].newValues, (Record{{"B", 3.0}, {"A", 4.0}}));
}

TEST(ChangeLogRoundTrip, MatchesManyFieldsInAnyOrder) {
  Change c{ChangeOp::Modify, {}, {}};
  for (int i = 0; i < 30; ++i) c.oldValues.emplace_back("F" + std::to_string(i), double(i));
  c.newValues.assign(c.oldValues.rbegin(), c.oldValues.rend());
  ChangeLog log{{c}};
  ExpectSameLog(log, DecodeChangeLog(EncodeChangeLog(log)));
  log.changes[0].newValues[3].first = "G";
  EXPECT_THAT(ErrorOf([&] { EncodeChangeLog(log); }), HasSubstr("'old' and 'new' name different fields"));
  log.changes[0].newValues[3].first = "f4";
  EXPECT_THAT(ErrorOf([&] { EncodeChangeLog(log); }), HasSubstr("change 0, 'new': duplicate field name 'F4'"));
}

TEST(ChangeLogDecode, RejectsBadChanges) {
  const std::pair<std::string, std::string> cases[] = {
      {R"({"new":{"A":1}})", "change 0: missing member 'op'"},
      {R"({"op":"upsert","new":{"A":1}})", "change 0: unknown op 'upsert'"},
      {R"({"op":1,"new":{"A":1}})", "change 0: 'op' must be a string, got a number"},
      {R"({"op":"insert"})", "change 0: missing member 'new'"},
      {R"({"op":"delete","new":{"A":1}})", "change 0: missing member 'old'"},
      {R"({"op":"insert","new":{"A":1},"old":{"A":1}})", "change 0: an insert takes no 'old'"},
      {R"({"op":"delete","old":{"A":1},"new":{"A":1}})", "change 0: a delete takes no 'new'"},
      {R"({"op":"modify","old":{"A":1},"new":{"B":1}})", "change 0: 'old' and 'new' name different fields"},
      {R"({"op":"modify","old":{"A":1},"new":{"A":1,"B":1}})", "'old' and 'new' name different fields"},
      {R"({"op":"insert","new":{"A":1},"when":0})", "change 0: unknown member 'when'"},
      {R"({"op":"insert","new":{"A":1},"new":{"A":1}})", "change 0: duplicate member 'new'"},
      {R"({"op":"insert","new":{"A":true}})",
       "change 0, 'new', field 'A': expected null, a number or a string, got a boolean"},
      {R"({"op":"insert","new":{"A":1,"a":2}})", "change 0, 'new': duplicate field name 'a'"},
      {R"({"op":"insert","new":{}})", "change 0, 'new': has no fields"},
      {R"({"op":"insert","new":[1]})", "change 0, 'new' must be an object, got an array"},
      {R"({"op":"insert","new":{"A":1}},[])", "change 1: expected an object, got an array"},
  };
  for (const auto& [change, message] : cases) {
    EXPECT_THAT(DecodeError(change), HasSubstr(message)) << change;
  }
  EXPECT_THAT(ErrorOf([] { DecodeChangeLog("{}"); }), HasSubstr("change log: missing member 'changes'"));
  EXPECT_THAT(ErrorOf([] { DecodeChangeLog(R"({"changes":[],"x":1})"); }), HasSubstr("unknown member 'x'"));
  EXPECT_THAT(ErrorOf([] { DecodeChangeLog(R"({"changes":{}})"); }), HasSubstr("'changes' must be an array"));
  EXPECT_THAT(ErrorOf([] { DecodeChangeLog(R"({"changes":[]}x)"); }),
              HasSubstr("unexpected text after the value at byte 14"));
}

TEST(ChangeLogEncode, RejectsWhatCannotBeDecoded) {
  auto encodeOne = [](Change c) {
    ChangeLog log;
    log.changes = {{ChangeOp::Insert, {}, {{"A", 1.0}}}, std::move(c)};
    return ErrorOf([&] { EncodeChangeLog(log); });
  };
  EXPECT_THAT(encodeOne({ChangeOp::Insert, {{"A", 1.0}}, {}}), HasSubstr("change 1: insert without 'new'"));
  EXPECT_THAT(encodeOne({ChangeOp::Modify, {}, {{"A", 1.0}}}), HasSubstr("change 1: modify without 'old'"));
  EXPECT_THAT(encodeOne({ChangeOp::Delete, {}, {{"A", 1.0}}}), HasSubstr("change 1: delete without 'old'"));
  EXPECT_THAT(encodeOne({ChangeOp::Modify, {{"A", 1.0}}, {{"B", 1.0}}}),
              HasSubstr("'old' and 'new' name different fields"));
  EXPECT_THAT(encodeOne({ChangeOp::Insert, {}, {{"A", std::nan("")}}}),
              HasSubstr("change 1, 'new', field 'A': number is not finite"));
  EXPECT_THAT(encodeOne({ChangeOp::Delete, {{"A", std::string("\xFF")}}, {}}),
              HasSubstr("change 1, 'old', field 'A': text is not valid UTF-8"));
  EXPECT_THAT(encodeOne({ChangeOp::Insert, {}, {{"A", 1.0}, {"a", 2.0}}}), HasSubstr("duplicate field name 'a'"));
  EXPECT_THAT(encodeOne({ChangeOp::Insert, {}, {{"\xC3", 1.0}}}), HasSubstr("a field name is not valid UTF-8"));
}

TEST(ChangeLogDecode, EveryTruncationThrows) {
  const std::string json = EncodeChangeLog(SampleLog());
  for (std::size_t n = 0; n < json.size(); ++n) {
    const std::vector<char> cut(json.begin(), json.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_THAT(ErrorOf([&] { DecodeChangeLog({cut.data(), n}); }), HasSubstr("change log: ")) << "length " << n;
  }
}
