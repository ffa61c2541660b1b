#include "scenario/ValueFormat.h"

#include <charconv>
#include <cmath>

namespace scenario {

std::string FormatNumber(double value) {
  char buffer[400];  // the widest fixed form of a double is under 320 characters
  std::to_chars_result result{};
  if (std::isfinite(value) && std::trunc(value) == value) {
    if (value == 0) return "0";  // also -0
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  } else {
    result = std::to_chars(buffer, buffer + sizeof buffer, value);
  }
  return std::string(buffer, result.ptr);
}

std::string FormatValue(const DbValue& value) {
  switch (value.kind) {
    case DbValue::Kind::Null: return {};
    case DbValue::Kind::Text: return value.text;
    case DbValue::Kind::Integer: return std::to_string(value.integer);
    case DbValue::Kind::Real: return FormatNumber(value.real);
  }
  return {};
}

std::string FormatRows(const std::vector<DbRow>& rows) {
  std::string out;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (r) out += ';';
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      if (c) out += '|';
      out += FormatValue(rows[r][c]);
    }
  }
  return out;
}

}  // namespace scenario
