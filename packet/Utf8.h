#pragma once
// UTF-8 checks shared by the reader, the writer and the field size checks,
// and by callers that must check text before it goes into JSON.

#include <cstddef>
#include <string_view>

namespace packet::utf8 {

// Length (2 to 4) of the well-formed multi-byte sequence that starts at
// s[i], or 0 when it is malformed: a stray continuation byte, an overlong
// form, a surrogate, a code point past U+10FFFF or a truncated sequence.
// s[i] must be a byte >= 0x80.
inline std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t left = s.size() - i;
  const unsigned char c = p[i];
  auto cont = [&](std::size_t k) { return (p[i + k] & 0xC0) == 0x80; };
  if (c >= 0xC2 && c <= 0xDF) {
    return left >= 2 && cont(1) ? 2 : 0;
  }
  if (c >= 0xE0 && c <= 0xEF) {
    if (left < 3) return 0;
    const unsigned char c1 = p[i + 1];
    // E0 needs A0.. to not be overlong; ED stops at 9F to exclude surrogates.
    const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char hi = c == 0xED ? 0x9F : 0xBF;
    return c1 >= lo && c1 <= hi && cont(2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (left < 4) return 0;
    const unsigned char c1 = p[i + 1];
    const unsigned char lo = c == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = c == 0xF4 ? 0x8F : 0xBF;
    return c1 >= lo && c1 <= hi && cont(2) && cont(3) ? 4 : 0;
  }
  return 0;
}

inline bool IsValid(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
    } else if (std::size_t n = SequenceLength(s, i)) {
      i += n;
    } else {
      return false;
    }
  }
  return true;
}

// Number of code points in text already known to be valid UTF-8.
inline std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

// Whether valid UTF-8 text fits in `size` characters. Byte length bounds the
// code point count, so most texts never need counting.
inline bool FitsIn(std::string_view s, std::size_t size) { return s.size() <= size || CodePoints(s) <= size; }

}  // namespace packet::utf8
