#pragma once
// One cell of a data packet or change log: null, a number or a text.

#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace packet {

enum class FieldType { String, Float };

// monostate is JSON null.
using Value = std::variant<std::monostate, double, std::string>;
using Row = std::vector<Value>;

inline bool IsNull(const Value& v) { return std::holds_alternative<std::monostate>(v); }

// Name of a field type on the wire ("string" or "float").
const char* FieldTypeName(FieldType type);

// Thrown by every decoder and encoder of this library; the text names the
// problem and where it was found.
class PacketError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Case-insensitive (ASCII) equality of two field names.
bool SameFieldName(std::string_view a, std::string_view b);

}  // namespace packet
