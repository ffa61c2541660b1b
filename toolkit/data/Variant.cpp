#include "toolkit/data/Variant.h"

#include <cmath>

#include "toolkit/data/DatabaseError.h"
#include "toolkit/data/FloatText.h"

namespace toolkit {

namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) { return packet::SameFieldName(a, b); }

[[noreturn]] void NotANumber(const std::string& text) {
  throw EConvertError("'" + text + "' não é um número válido.");
}

}  // namespace

std::int64_t RoundToInteger(double value) {
  // 2^63 is exactly representable; anything at or beyond it does not fit.
  if (!std::isfinite(value) || value >= 9223372036854775808.0 || value < -9223372036854775808.0)
    throw EConvertError(FloatToText(value) + " é grande demais para um número inteiro.");
  // nearbyint uses the current rounding mode, which is round-to-nearest-even.
  return static_cast<std::int64_t>(std::nearbyint(value));
}

Variant Variant::FromValue(const packet::Value& value) {
  if (auto* d = std::get_if<double>(&value)) return Variant(*d);
  if (auto* s = std::get_if<std::string>(&value)) return Variant(*s);
  return Variant();
}

std::string Variant::AsString() const {
  switch (GetType()) {
    case Type::Null: return {};
    case Type::Bool: return std::get<bool>(v_) ? "True" : "False";
    case Type::Integer: return std::to_string(std::get<std::int64_t>(v_));
    case Type::Double: return FloatToText(std::get<double>(v_));
    case Type::String: return std::get<std::string>(v_);
  }
  return {};
}

double Variant::AsFloat() const {
  switch (GetType()) {
    case Type::Null: return 0;
    case Type::Bool: return std::get<bool>(v_) ? 1 : 0;
    case Type::Integer: return static_cast<double>(std::get<std::int64_t>(v_));
    case Type::Double: return std::get<double>(v_);
    case Type::String: {
      const auto& text = std::get<std::string>(v_);
      if (auto d = TextToFloat(text)) return *d;
      NotANumber(text);
    }
  }
  return 0;
}

std::int64_t Variant::AsInteger() const {
  if (GetType() == Type::Integer) return std::get<std::int64_t>(v_);
  if (GetType() == Type::String) {
    const auto& text = std::get<std::string>(v_);
    auto d = TextToFloat(text);
    if (!d) throw EConvertError("'" + text + "' não é um número inteiro válido.");
    return RoundToInteger(*d);
  }
  return RoundToInteger(AsFloat());
}

bool Variant::AsBool() const {
  if (GetType() == Type::String) {
    const auto& text = std::get<std::string>(v_);
    if (EqualsNoCase(text, "true")) return true;
    if (EqualsNoCase(text, "false")) return false;
    if (auto d = TextToFloat(text)) return *d != 0;
    throw EConvertError("'" + text + "' não é um valor lógico válido.");
  }
  return AsFloat() != 0;
}

}  // namespace toolkit
