#pragma once
// How scripts write database values and call arguments: null as empty,
// whole numbers without a decimal part, other numbers in their shortest
// exact form with '.', rows joined by ';' and columns by '|'.

#include <cstdint>
#include <string>
#include <vector>

namespace scenario {

struct DbValue {
  enum class Kind { Null, Text, Integer, Real };
  Kind kind = Kind::Null;
  std::string text;
  std::int64_t integer = 0;
  double real = 0;

  static DbValue Null() { return {}; }
  static DbValue Text(std::string s) { return {Kind::Text, std::move(s), 0, 0}; }
  static DbValue Integer(std::int64_t v) { return {Kind::Integer, {}, v, 0}; }
  static DbValue Real(double v) { return {Kind::Real, {}, 0, v}; }
};

using DbRow = std::vector<DbValue>;

// 20 -> "20", -0.0 -> "0", 2.5 -> "2.5", 0.1 -> "0.1", 1e21 -> "1000000000000000000000".
std::string FormatNumber(double value);
std::string FormatValue(const DbValue& value);
// "a|b;c|d"; no rows give "".
std::string FormatRows(const std::vector<DbRow>& rows);

}  // namespace scenario
