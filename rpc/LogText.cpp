#include "rpc/LogText.h"

namespace rpc {

namespace {

// Length of the UTF-8 sequence starting at s[i] when it is well formed
// (no overlongs, no surrogates, nothing past U+10FFFF), 0 otherwise.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = at(i);
  std::size_t n = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) n = 2;
  else if (c == 0xE0) n = 3, lo = 0xA0;
  else if (c == 0xED) n = 3, hi = 0x9F;
  else if (c >= 0xE1 && c <= 0xEF) n = 3;
  else if (c == 0xF0) n = 4, lo = 0x90;
  else if (c >= 0xF1 && c <= 0xF3) n = 4;
  else if (c == 0xF4) n = 4, hi = 0x8F;
  else return 0;
  if (i + n > s.size() || at(i + 1) < lo || at(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if ((at(i + k) & 0xC0) != 0x80) return 0;
  return n;
}

void AppendEscaped(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (c) {
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    case '\\': out += "\\\\"; return;
    default: break;
  }
  out += "\\x";
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 0xF]);
}

}  // namespace

std::string LogText(std::string_view s, std::size_t max) {
  const std::size_t end = max > 0 && s.size() > max ? max : s.size();
  std::string out;
  out.reserve(end + 8);
  for (std::size_t i = 0; i < end;) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (const std::size_t n = c >= 0x80 ? Utf8Length(s, i) : 0; n > 0 && i + n <= end) {
      out.append(s.substr(i, n));
      i += n;
    } else if (n > 0) {
      break;  // a character cut by `max`
    } else {
      AppendEscaped(out, c);
      ++i;
    }
  }
  if (end < s.size()) out += "...";
  return out;
}

std::string LogQuoted(std::string_view s, std::size_t max) { return "'" + LogText(s, max) + "'"; }

}  // namespace rpc
