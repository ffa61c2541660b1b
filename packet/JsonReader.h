#pragma once
// A strict pull reader over JSON text (RFC 8259), fast enough to load large
// data packets without building a document first.
//
// Every read checks what it finds and throws PacketError with the byte
// offset and what was expected. Nesting is limited (kMaxDepth) so that no
// input can exhaust the stack.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "packet/Value.h"

namespace packet {

class JsonReader {
 public:
  static constexpr int kMaxDepth = 64;

  enum class Token { ObjectStart, ObjectEnd, ArrayStart, ArrayEnd, String, Number, True, False, Null, End };

  explicit JsonReader(std::string_view text);

  // Kind of the next token, after skipping white space; does not consume it.
  // Throws on a byte that can start no token.
  Token Peek();

  void BeginObject();  // consumes '{'
  // Before each member: false (and consumes '}') when the object ends,
  // true with the member's name (and its ':' consumed) otherwise.
  bool NextMember(std::string& name);
  void BeginArray();  // consumes '['
  // Before each element: false (and consumes ']') when the array ends.
  bool NextElement();

  std::string ReadString();
  // Any JSON number; one too large or too small for a double (it would
  // become infinite or 0) throws.
  double ReadNumber();
  void ReadNull();
  bool ReadBool();
  // null, number or string as a Value; anything else throws.
  Value ReadScalar();
  // Skips one whole value of any kind and returns its text. Numbers are
  // checked for their syntax only, not for their range.
  std::string_view SkipValue();
  // Throws unless only white space is left.
  void ExpectEnd();

  std::size_t Offset() const { return pos_; }
  // Throws PacketError "<context>: <what> at byte <offset>".
  [[noreturn]] void Fail(std::string_view what) const;
  // Prefix for error messages, e.g. "data packet".
  void SetContext(std::string context) { context_ = std::move(context); }

 private:
  void SkipSpace();
  // Checks that the next token is `want` and that a value may start here.
  void BeginValue(Token want);
  void Open(Token want, char bracket);
  bool NextMemberImpl(std::string* name);
  // Reads the string at pos_, appending its text to *out unless out is null.
  void ScanString(std::string* out);
  // Decodes the escape at text_[at] ('\\'); returns the offset after it.
  std::size_t ScanEscape(std::size_t at, std::string* out);
  void ScanLiteral(Token want, std::string_view word);
  std::size_t ScanNumber() const;
  [[noreturn]] void FailAt(std::size_t offset, std::string_view what) const;

  std::string_view text_;
  std::size_t pos_ = 0;
  std::string context_ = "JSON";
  // open containers ('{' or '['), to check commas and nesting
  std::string stack_;
  // a value was just completed, so the next one must follow a ','
  bool needComma_ = false;
};

}  // namespace packet
