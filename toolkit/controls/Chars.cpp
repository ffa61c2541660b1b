#include "toolkit/controls/Chars.h"

namespace toolkit {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Length of the sequence starting with b, 0 for a byte that starts none.
int SequenceLength(unsigned char b) {
  if (b < 0x80) return 1;
  if ((b & 0xE0) == 0xC0) return 2;
  if ((b & 0xF0) == 0xE0) return 3;
  if ((b & 0xF8) == 0xF0) return 4;
  return 0;
}

bool IsLatin1Letter(char32_t c) { return c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7; }

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    int n = SequenceLength(b);
    if (n == 0 || i + n > text.size()) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    char32_t c = n == 1 ? b : (b & (0x7F >> n));
    bool ok = true;
    for (int k = 1; k < n; ++k) {
      auto cont = static_cast<unsigned char>(text[i + k]);
      if ((cont & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (cont & 0x3F);
    }
    out.push_back(ok ? c : kReplacement);
    i += ok ? n : 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) AppendUtf8(out, c);
  return out;
}

char32_t UpperChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (IsLatin1Letter(c) && c >= 0xE0 && c != 0xFF) return c - 32;
  return c;
}

char32_t LowerChar(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (IsLatin1Letter(c) && c < 0xDF) return c + 32;
  return c;
}

bool IsLetterChar(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsLatin1Letter(c); }

bool IsDigitChar(char32_t c) { return c >= '0' && c <= '9'; }

}  // namespace toolkit
