// packet::DecodePacket on any text. Whatever it accepts must encode, and the
// encoded text must decode to the same packet and encode to the same text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "packet/DataPacket.h"
#include "same_value.h"

namespace {

bool SamePacket(const packet::DataPacket& a, const packet::DataPacket& b) {
  if (a.fields.size() != b.fields.size() || a.rows.size() != b.rows.size()) return false;
  for (std::size_t i = 0; i < a.fields.size(); ++i) {
    const auto &x = a.fields[i], &y = b.fields[i];
    if (x.name != y.name || x.type != y.type || x.size != y.size) return false;
  }
  for (std::size_t i = 0; i < a.rows.size(); ++i)
    if (!SameRow(a.rows[i], b.rows[i])) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  packet::DataPacket first;
  try {
    first = packet::DecodePacket(text);
  } catch (const packet::PacketError&) {
    return 0;
  }
  // From here on nothing may throw: the encoder takes all the decoder gives.
  const std::string encoded = packet::EncodePacket(first);
  const packet::DataPacket second = packet::DecodePacket(encoded);
  FUZZ_CHECK(SamePacket(first, second));
  FUZZ_CHECK(packet::EncodePacket(second) == encoded);
  for (std::size_t i = 0; i < first.fields.size(); ++i)
    FUZZ_CHECK(first.FieldIndex(first.fields[i].name) == static_cast<int>(i));
  return 0;
}
