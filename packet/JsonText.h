#pragma once
// The scan shared by the reader and the writer of JSON strings. Private to
// the packet library.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace packet::json {

// Bytes a string copies without a closer look: printable ASCII other than
// '"' and '\'. Everything else ends the fast scan.
constexpr std::array<bool, 256> MakePlain() {
  std::array<bool, 256> t{};
  for (int c = 0x20; c < 0x80; ++c) t[c] = true;
  t['"'] = false;
  t['\\'] = false;
  return t;
}
inline constexpr std::array<bool, 256> kPlain = MakePlain();

// First position from i (<= n) whose byte is not plain, or n.
inline std::size_t SkipPlain(const unsigned char* p, std::size_t i, std::size_t n) {
  if constexpr (std::endian::native == std::endian::little) {
    // Eight bytes at a time. Each test below may also flag bytes above a
    // true hit, never below one, so the lowest flagged byte is exact.
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    auto zeroBytes = [](std::uint64_t v) { return (v - kOnes) & ~v & kHigh; };
    while (n - i >= 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      const std::uint64_t hits = zeroBytes(w ^ (kOnes * '"')) | zeroBytes(w ^ (kOnes * '\\')) |
                                 ((w - kOnes * 0x20) & ~w & kHigh) | (w & kHigh);
      if (hits) return i + static_cast<std::size_t>(std::countr_zero(hits) / 8);
      i += 8;
    }
  }
  while (i < n && kPlain[p[i]]) ++i;
  return i;
}

}  // namespace packet::json
