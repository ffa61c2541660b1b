#pragma once
// A value of any kind a field or a call argument takes: null, bool, integer,
// double or string.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "packet/Value.h"

namespace toolkit {

class Variant {
 public:
  enum class Type { Null, Bool, Integer, Double, String };

  Variant() = default;  // null
  Variant(std::nullptr_t) {}
  Variant(bool v) : v_(v) {}
  Variant(int v) : v_(std::int64_t{v}) {}
  Variant(long v) : v_(std::int64_t{v}) {}
  Variant(long long v) : v_(std::int64_t{v}) {}
  Variant(double v) : v_(v) {}
  Variant(const char* v) : v_(std::string(v)) {}
  Variant(std::string v) : v_(std::move(v)) {}
  Variant(std::string_view v) : v_(std::string(v)) {}

  // The cell as a value: null stays null, numbers become doubles.
  static Variant FromValue(const packet::Value& value);

  Type GetType() const { return static_cast<Type>(v_.index()); }
  bool IsNull() const { return v_.index() == 0; }

  // Null reads as "" and 0. Floats as text use the shortest exact form with
  // "," (FloatToText); booleans read "True"/"False".
  std::string AsString() const;
  // Throws EConvertError for text that is not a number.
  double AsFloat() const;
  // Doubles round to nearest, ties to even. Throws EConvertError for text
  // that is not a number, or a value out of range.
  std::int64_t AsInteger() const;
  // Numbers: non-zero; text: "True"/"False" (any case) or a number.
  bool AsBool() const;

  // Same kind and same value.
  bool operator==(const Variant& other) const = default;

 private:
  std::variant<std::monostate, bool, std::int64_t, double, std::string> v_;
};

// The integer nearest to the double, ties to even. Throws EConvertError when
// it lies outside the range of std::int64_t or is not finite.
std::int64_t RoundToInteger(double value);

}  // namespace toolkit
