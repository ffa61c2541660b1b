#include "packet/ChangeLogWriter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

#include "error_of.h"
#include "packet/ChangeLog.h"

using packet::ChangeLogWriter;
using packet::Row;
using packet::Value;
using testing::HasSubstr;

namespace {

TEST(ChangeLogWriterTest, WritesWhatTheRecordEncoderWrites) {
  ChangeLogWriter w({"CDCIA", "MAXPAX", "OBS"});
  Row a = {std::string("0001"), 20.0, Value()};
  Row b = {std::string("0001"), 0.1, std::string("Proporção \"\\\n")};
  w.Insert(a);
  w.Modify(a, b);
  w.Delete(b);
  std::string json = w.Finish();

  auto record = [](const Row& r) {
    return packet::Record{{"CDCIA", r[0]}, {"MAXPAX", r[1]}, {"OBS", r[2]}};
  };
  packet::ChangeLog log;
  log.changes = {{packet::ChangeOp::Insert, {}, record(a)},
                 {packet::ChangeOp::Modify, record(a), record(b)},
                 {packet::ChangeOp::Delete, record(b), {}}};
  EXPECT_EQ(json, packet::EncodeChangeLog(log));
  EXPECT_EQ(packet::DecodeChangeLog(json).changes.size(), 3u);
}

TEST(ChangeLogWriterTest, RefusesWhatTheDecoderWouldRefuse) {
  EXPECT_THAT(ErrorOf([] { ChangeLogWriter w({}); }), HasSubstr("no fields"));
  EXPECT_THAT(ErrorOf([] { ChangeLogWriter w({"A", "a"}); }), HasSubstr("duplicate field name 'a'"));
  EXPECT_THAT(ErrorOf([] { ChangeLogWriter w({"A", ""}); }), HasSubstr("empty name"));
  EXPECT_THAT(ErrorOf([] { ChangeLogWriter w({std::string("\xff")}); }), HasSubstr("not valid UTF-8"));
  ChangeLogWriter w({"A", "B"});
  EXPECT_THAT(ErrorOf([&] { w.Insert({1.0}); }), HasSubstr("change 0, 'new': 1 values for 2 fields"));
  ChangeLogWriter w2({"A", "B"});
  EXPECT_THAT(ErrorOf([&] { w2.Delete({1.0, std::nan("")}); }), HasSubstr("field 'B': number is not finite"));
}

}  // namespace
