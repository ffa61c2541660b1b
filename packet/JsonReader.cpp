#include "packet/JsonReader.h"

#include <array>
#include <charconv>
#include <system_error>

#include "packet/JsonText.h"
#include "packet/PacketDetail.h"
#include "packet/Utf8.h"

namespace packet {

namespace {

bool IsSpace(unsigned char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

int HexDigit(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c |= 0x20;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The four hex digits at p as a number, or -1.
long Hex4(const unsigned char* p) {
  long v = 0;
  for (int k = 0; k < 4; ++k) {
    const int d = HexDigit(p[k]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Token a byte starts, or -1 where no token can start.
constexpr std::array<signed char, 256> MakeTokenTable() {
  using T = JsonReader::Token;
  std::array<signed char, 256> t{};
  for (auto& e : t) e = -1;
  auto set = [&](unsigned char c, T tok) { t[c] = static_cast<signed char>(tok); };
  set('{', T::ObjectStart);
  set('}', T::ObjectEnd);
  set('[', T::ArrayStart);
  set(']', T::ArrayEnd);
  set('"', T::String);
  set('t', T::True);
  set('f', T::False);
  set('n', T::Null);
  set('-', T::Number);
  for (unsigned char c = '0'; c <= '9'; ++c) set(c, T::Number);
  return t;
}
constexpr std::array<signed char, 256> kTokenOf = MakeTokenTable();

// The error paths are kept out of line so that the hot readers stay small.
[[noreturn, gnu::cold, gnu::noinline]] void FailUnexpected(const JsonReader& r, unsigned char c) {
  std::string msg = "unexpected ";
  if (c > 0x20 && c < 0x7F) {
    msg += "character '";
    msg += static_cast<char>(c);
    msg += '\'';
  } else {
    static constexpr char kHex[] = "0123456789ABCDEF";
    msg += "byte 0x";
    msg += kHex[c >> 4];
    msg += kHex[c & 0xF];
  }
  r.Fail(msg);
}

[[noreturn, gnu::cold, gnu::noinline]] void FailExpected(const JsonReader& r, std::string_view want,
                                                         JsonReader::Token got) {
  std::string msg = "expected ";
  msg += want;
  msg += ", got ";
  msg += detail::DescribeToken(got);
  r.Fail(msg);
}

}  // namespace

const char* detail::DescribeToken(JsonReader::Token t) {
  using T = JsonReader::Token;
  switch (t) {
    case T::ObjectStart: return "an object";
    case T::ObjectEnd: return "'}'";
    case T::ArrayStart: return "an array";
    case T::ArrayEnd: return "']'";
    case T::String: return "a string";
    case T::Number: return "a number";
    case T::True:
    case T::False: return "a boolean";
    case T::Null: return "null";
    case T::End: return "the end of the text";
  }
  return "?";
}

JsonReader::JsonReader(std::string_view text) : text_(text) {}

void JsonReader::FailAt(std::size_t offset, std::string_view what) const {
  std::string msg = context_;
  msg += ": ";
  msg += what;
  msg += " at byte ";
  msg += std::to_string(offset);
  throw PacketError(msg);
}

void JsonReader::Fail(std::string_view what) const { FailAt(pos_, what); }

inline void JsonReader::SkipSpace() {
  // No byte above ' ' is white space, so the usual case costs one test.
  while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ' &&
         IsSpace(static_cast<unsigned char>(text_[pos_]))) {
    ++pos_;
  }
}

JsonReader::Token JsonReader::Peek() {
  SkipSpace();
  if (pos_ >= text_.size()) return Token::End;
  const unsigned char c = static_cast<unsigned char>(text_[pos_]);
  const signed char t = kTokenOf[c];
  if (t < 0) FailUnexpected(*this, c);
  return static_cast<Token>(t);
}

void JsonReader::BeginValue(Token want) {
  const Token t = Peek();
  if (t != want) FailExpected(*this, detail::DescribeToken(want), t);
  // Only NextMember and NextElement clear this, so a second value without
  // a ',' (or after the top-level one) is caught here.
  if (needComma_) Fail(stack_.empty() ? "unexpected text after the value" : "expected ','");
}

void JsonReader::Open(Token want, char bracket) {
  BeginValue(want);
  if (stack_.size() >= static_cast<std::size_t>(kMaxDepth))
    Fail("nesting deeper than " + std::to_string(kMaxDepth) + " levels");
  stack_.push_back(bracket);
  ++pos_;
  needComma_ = false;
}

void JsonReader::BeginObject() { Open(Token::ObjectStart, '{'); }
void JsonReader::BeginArray() { Open(Token::ArrayStart, '['); }

bool JsonReader::NextMember(std::string& name) {
  name.clear();
  return NextMemberImpl(&name);
}

bool JsonReader::NextMemberImpl(std::string* name) {
  if (stack_.empty() || stack_.back() != '{') Fail("not inside an object");
  SkipSpace();
  if (pos_ >= text_.size()) Fail("expected ',' or '}', got the end of the text");
  if (text_[pos_] == '}') {
    stack_.pop_back();
    ++pos_;
    needComma_ = true;
    return false;
  }
  if (needComma_) {
    if (text_[pos_] != ',') Fail("expected ',' or '}'");
    ++pos_;
    SkipSpace();
  }
  if (pos_ >= text_.size() || text_[pos_] != '"') Fail("expected a member name");
  ScanString(name);
  SkipSpace();
  if (pos_ >= text_.size() || text_[pos_] != ':') Fail("expected ':'");
  ++pos_;
  needComma_ = false;
  return true;
}

bool JsonReader::NextElement() {
  if (stack_.empty() || stack_.back() != '[') Fail("not inside an array");
  SkipSpace();
  if (pos_ >= text_.size()) Fail("expected ',' or ']', got the end of the text");
  if (text_[pos_] == ']') {
    stack_.pop_back();
    ++pos_;
    needComma_ = true;
    return false;
  }
  if (needComma_) {
    if (text_[pos_] != ',') Fail("expected ',' or ']'");
    ++pos_;
    needComma_ = false;
  }
  // A ']' right after a ',' is left for the element read to reject.
  return true;
}

void JsonReader::ScanString(std::string* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
  const std::size_t n = text_.size();
  const std::size_t open = pos_;
  std::size_t i = pos_ + 1;
  std::size_t run = i;  // start of the bytes not yet appended
  for (;;) {
    i = json::SkipPlain(p, i, n);
    if (i >= n) FailAt(open, "unterminated string");
    const unsigned char c = p[i];
    if (c == '"') {
      if (out) out->append(text_.data() + run, i - run);
      pos_ = i + 1;
      return;
    }
    if (c == '\\') {
      if (out) out->append(text_.data() + run, i - run);
      i = ScanEscape(i, out);
      run = i;
    } else if (c < 0x20) {
      FailAt(i, "control character in string");
    } else {
      const std::size_t len = utf8::SequenceLength(text_, i);
      if (len == 0) FailAt(i, "invalid UTF-8 in string");
      i += len;
    }
  }
}

std::size_t JsonReader::ScanEscape(std::size_t at, std::string* out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
  const std::size_t n = text_.size();
  if (at + 1 >= n) FailAt(at, "unterminated string");
  char plain = 0;
  switch (p[at + 1]) {
    case '"': plain = '"'; break;
    case '\\': plain = '\\'; break;
    case '/': plain = '/'; break;
    case 'b': plain = '\b'; break;
    case 'f': plain = '\f'; break;
    case 'n': plain = '\n'; break;
    case 'r': plain = '\r'; break;
    case 't': plain = '\t'; break;
    case 'u': break;
    default: FailAt(at, "invalid escape in string");
  }
  if (plain) {
    if (out) out->push_back(plain);
    return at + 2;
  }
  if (n - at < 6) FailAt(at, "truncated \\u escape");
  const long unit = Hex4(p + at + 2);
  if (unit < 0) FailAt(at, "invalid \\u escape");
  std::size_t next = at + 6;
  unsigned long cp = static_cast<unsigned long>(unit);
  if (unit >= 0xDC00 && unit <= 0xDFFF) FailAt(at, "lone surrogate in \\u escape");
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    // A high surrogate counts only with the low one right after it.
    const long low = n - next >= 6 && p[next] == '\\' && p[next + 1] == 'u' ? Hex4(p + next + 2) : -1;
    if (low < 0xDC00 || low > 0xDFFF) FailAt(at, "lone surrogate in \\u escape");
    cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<unsigned long>(low) - 0xDC00);
    next += 6;
  }
  if (out) AppendUtf8(*out, cp);
  return next;
}

std::string JsonReader::ReadString() {
  SkipSpace();
  // BeginValue only to report the error: this is the hot path of decoding.
  if (pos_ >= text_.size() || text_[pos_] != '"' || needComma_) BeginValue(Token::String);
  std::string s;
  ScanString(&s);
  needComma_ = true;
  return s;
}

// Checks the number's syntax at pos_ and returns the offset after it.
std::size_t JsonReader::ScanNumber() const {
  const char* data = text_.data();
  const std::size_t n = text_.size();
  auto digit = [&](std::size_t k) { return k < n && static_cast<unsigned char>(data[k] - '0') < 10; };
  std::size_t i = pos_;
  if (data[i] == '-') ++i;
  if (!digit(i)) FailAt(i, "expected a digit");
  if (data[i] == '0') {
    ++i;
    if (digit(i)) FailAt(i, "leading zero in number");
  } else {
    while (digit(i)) ++i;
  }
  if (i < n && data[i] == '.') {
    ++i;
    if (!digit(i)) FailAt(i, "expected a digit after '.'");
    while (digit(i)) ++i;
  }
  if (i < n && (data[i] == 'e' || data[i] == 'E')) {
    ++i;
    if (i < n && (data[i] == '+' || data[i] == '-')) ++i;
    if (!digit(i)) FailAt(i, "expected a digit in the exponent");
    while (digit(i)) ++i;
  }
  return i;
}

double JsonReader::ReadNumber() {
  BeginValue(Token::Number);
  const char* data = text_.data();
  const std::size_t start = pos_;
  const std::size_t i = ScanNumber();
  double v = 0;
  const auto res = std::from_chars(data + start, data + i, v);
  // Both overflow and underflow: neither can be held without changing it.
  if (res.ec == std::errc::result_out_of_range) FailAt(start, "number out of the range of a double");
  if (res.ec != std::errc() || res.ptr != data + i) FailAt(start, "invalid number");
  pos_ = i;
  needComma_ = true;
  return v;
}

void JsonReader::ScanLiteral(Token want, std::string_view word) {
  BeginValue(want);
  if (text_.substr(pos_, word.size()) != word) {
    std::string msg = "invalid literal, expected '";
    msg += word;
    msg += '\'';
    Fail(msg);
  }
  pos_ += word.size();
  needComma_ = true;
}

void JsonReader::ReadNull() { ScanLiteral(Token::Null, "null"); }

bool JsonReader::ReadBool() {
  const Token t = Peek();
  if (t == Token::True) {
    ScanLiteral(t, "true");
    return true;
  }
  if (t == Token::False) {
    ScanLiteral(t, "false");
    return false;
  }
  FailExpected(*this, "a boolean", t);
}

Value JsonReader::ReadScalar() {
  switch (const Token t = Peek()) {
    case Token::String: return Value(std::in_place_type<std::string>, ReadString());
    case Token::Number: return Value(ReadNumber());
    case Token::Null: ReadNull(); return Value();
    default: FailExpected(*this, "null, a number or a string", t);
  }
}

std::string_view JsonReader::SkipValue() {
  Token t = Peek();
  const std::size_t start = pos_;
  const std::size_t base = stack_.size();
  // Iterative, so that depth is bounded by kMaxDepth rather than the stack.
  do {
    switch (t) {
      case Token::ObjectStart: BeginObject(); break;
      case Token::ArrayStart: BeginArray(); break;
      case Token::String:
        BeginValue(t);
        ScanString(nullptr);
        needComma_ = true;
        break;
      case Token::Number:
        // Syntax only: whoever reads the value converts it (and checks its range).
        BeginValue(t);
        pos_ = ScanNumber();
        needComma_ = true;
        break;
      case Token::True: ScanLiteral(t, "true"); break;
      case Token::False: ScanLiteral(t, "false"); break;
      case Token::Null: ScanLiteral(t, "null"); break;
      default: FailExpected(*this, "a value", t);
    }
    // Move on to the next value inside the containers opened here, closing
    // those that end.
    while (stack_.size() > base) {
      const bool more = stack_.back() == '{' ? NextMemberImpl(nullptr) : NextElement();
      if (more) break;
    }
    if (stack_.size() > base) t = Peek();
  } while (stack_.size() > base);
  return text_.substr(start, pos_ - start);
}

void JsonReader::ExpectEnd() {
  SkipSpace();
  if (!stack_.empty()) Fail("unclosed array or object");
  if (pos_ != text_.size()) Fail("unexpected text after the value");
}

}  // namespace packet
