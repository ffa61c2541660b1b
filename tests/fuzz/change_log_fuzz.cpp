// packet::DecodeChangeLog on any text. Whatever it accepts must encode, the
// encoded text must decode to the same log and encode to the same text, and
// when every record names the same fields in the same order, the change by
// change ChangeLogWriter must write that same text.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "packet/ChangeLog.h"
#include "packet/ChangeLogWriter.h"
#include "same_value.h"

namespace {

bool SameRecord(const packet::Record& a, const packet::Record& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].first != b[i].first || !SameValue(a[i].second, b[i].second)) return false;
  return true;
}

bool SameLog(const packet::ChangeLog& a, const packet::ChangeLog& b) {
  if (a.changes.size() != b.changes.size()) return false;
  for (std::size_t i = 0; i < a.changes.size(); ++i) {
    const auto &x = a.changes[i], &y = b.changes[i];
    if (x.op != y.op || !SameRecord(x.oldValues, y.oldValues) || !SameRecord(x.newValues, y.newValues)) return false;
  }
  return true;
}

std::vector<std::string> Names(const packet::Record& r) {
  std::vector<std::string> names;
  for (const auto& [name, value] : r) names.push_back(name);
  return names;
}

packet::Row Values(const packet::Record& r) {
  packet::Row row;
  for (const auto& [name, value] : r) row.push_back(value);
  return row;
}

// The names every record shares, in one order, or nothing.
std::optional<std::vector<std::string>> SharedNames(const packet::ChangeLog& log) {
  std::optional<std::vector<std::string>> names;
  for (const auto& c : log.changes) {
    for (const packet::Record* r : {&c.oldValues, &c.newValues}) {
      if (r->empty()) continue;
      if (!names) names = Names(*r);
      else if (*names != Names(*r)) return std::nullopt;
    }
  }
  return names;
}

std::string Written(const packet::ChangeLog& log, const std::vector<std::string>& names) {
  packet::ChangeLogWriter writer(names);
  for (const auto& c : log.changes) {
    switch (c.op) {
      case packet::ChangeOp::Insert: writer.Insert(Values(c.newValues)); break;
      case packet::ChangeOp::Modify: writer.Modify(Values(c.oldValues), Values(c.newValues)); break;
      case packet::ChangeOp::Delete: writer.Delete(Values(c.oldValues)); break;
    }
  }
  return writer.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  packet::ChangeLog first;
  try {
    first = packet::DecodeChangeLog(text);
  } catch (const packet::PacketError&) {
    return 0;
  }
  // From here on nothing may throw: the encoder takes all the decoder gives.
  const std::string encoded = packet::EncodeChangeLog(first);
  const packet::ChangeLog second = packet::DecodeChangeLog(encoded);
  FUZZ_CHECK(SameLog(first, second));
  FUZZ_CHECK(packet::EncodeChangeLog(second) == encoded);
  if (const auto names = SharedNames(first)) FUZZ_CHECK(Written(first, *names) == encoded);
  return 0;
}
