#include "toolkit/data/FloatText.h"

#include <charconv>
#include <cmath>

namespace toolkit {

std::string FloatToText(double value) {
  if (value == 0) return "0";  // also -0, which would read "-0"
  char buf[64];
  // Whole numbers as people type them (100000, not 1e+05); exponents only
  // where plain digits would not fit.
  const double size = std::fabs(value);
  const auto format = size >= 1e-5 && size < 1e15 ? std::chars_format::fixed : std::chars_format::general;
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, format);
  std::string text(buf, end);
  for (char& c : text)
    if (c == '.') c = ',';
  return text;
}

std::optional<double> TextToFloat(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty() || text.size() > 64) return std::nullopt;
  char buf[65] = {};
  std::size_t n = 0;
  for (char c : text) buf[n++] = c == ',' ? '.' : c;
  const char* first = buf;
  if (*first == '+') {  // from_chars takes no plus sign
    ++first;
    if (first == buf + n || *first == '-') return std::nullopt;
  }
  double value = 0;
  auto [end, ec] = std::from_chars(first, buf + n, value);
  if (ec != std::errc() || end != buf + n || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace toolkit
