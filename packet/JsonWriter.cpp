#include "packet/JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "packet/JsonText.h"
#include "packet/Utf8.h"

namespace packet {

namespace {

void AppendEscape(std::string& out, unsigned char c) {
  switch (c) {
    case '"': out.append("\\\""); return;
    case '\\': out.append("\\\\"); return;
    case '\b': out.append("\\b"); return;
    case '\f': out.append("\\f"); return;
    case '\n': out.append("\\n"); return;
    case '\r': out.append("\\r"); return;
    case '\t': out.append("\\t"); return;
    default: {
      static constexpr char kHex[] = "0123456789abcdef";
      const char esc[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 0xF]};
      out.append(esc, sizeof esc);
    }
  }
}

}  // namespace

bool JsonWriter::String(std::string_view s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = json::SkipPlain(p, 0, n);
  if (i == n) {
    // Plain ASCII, the usual case: quotes and text in one step.
    const std::size_t at = out_.size();
    out_.resize(at + n + 2);
    char* d = out_.data() + at;
    d[0] = '"';
    if (n) std::memcpy(d + 1, s.data(), n);
    d[n + 1] = '"';
    return true;
  }
  out_.push_back('"');
  std::size_t run = 0;  // start of the bytes not yet appended
  for (;;) {
    i = json::SkipPlain(p, i, n);
    if (i >= n) break;
    if (p[i] >= 0x80) {
      const std::size_t len = utf8::SequenceLength(s, i);
      if (len == 0) return false;
      i += len;
    } else {
      out_.append(s.data() + run, i - run);
      AppendEscape(out_, p[i]);
      run = ++i;
    }
  }
  out_.append(s.data() + run, n - run);
  out_.push_back('"');
  return true;
}

bool JsonWriter::Number(double v) {
  if (!std::isfinite(v)) return false;
  // The shortest form of any double is at most 24 characters.
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
  out_.append(text);
  // Keeps floats recognisable as such on the wire.
  if (text.find_first_of(".eE") == std::string_view::npos) out_.append(".0");
  return true;
}

bool JsonWriter::Scalar(const Value& v) {
  switch (v.index()) {
    case 1: return Number(std::get<double>(v));
    case 2: return String(std::get<std::string>(v));
    default: Null(); return true;
  }
}

}  // namespace packet
