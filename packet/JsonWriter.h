#pragma once
// Appends JSON text straight to a std::string, without building a document.
//
// The writer does no structural bookkeeping: the caller writes the braces,
// brackets, commas and colons with Raw(). The parts that can fail return
// false instead of throwing, so that the caller can name the field at fault
// in its PacketError.

#include <string>
#include <string_view>

#include "packet/Value.h"

namespace packet {

class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  // Appends text that is already JSON (punctuation, member names known to
  // need no escaping), unchanged.
  void Raw(std::string_view text) { out_.append(text); }
  void Raw(char c) { out_.push_back(c); }

  // Appends s as a quoted JSON string: '"' and '\' escaped, control
  // characters as \b \f \n \r \t or \u00XX, other UTF-8 unchanged. Returns
  // false, having appended part of it, when s is not valid UTF-8.
  [[nodiscard]] bool String(std::string_view s);

  // Appends the shortest text that reads back as exactly v, with ".0" added
  // when it would otherwise read as an integer (20 -> 20.0). Returns false,
  // appending nothing, for NaN and infinities.
  [[nodiscard]] bool Number(double v);

  void Null() { out_.append("null"); }

  // null, number or string, as above.
  [[nodiscard]] bool Scalar(const Value& v);

 private:
  std::string& out_;
};

}  // namespace packet
