#include "toolkit/data/FilterExpression.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

#include "toolkit/data/FloatText.h"

namespace toolkit {

namespace {

// Parentheses and NOTs both recurse in the parser and the evaluator; users
// and fuzzers can type any depth, so refuse it long before the stack runs out.
constexpr int kMaxNesting = 200;

std::string FilterMessage(std::size_t position, const std::string& cause) {
  if (position == 0) return "Invalid filter: " + cause;
  return "Invalid filter at position " + std::to_string(position) + ": " + cause;
}

enum class Op : unsigned char { Eq, Ne, Lt, Le, Gt, Ge };

// One comparison as written; Bind turns it into a Step.
struct Comparison {
  std::string field;
  std::size_t fieldAt;  // byte offsets, kept for Bind's errors
  Op op;
  bool textLiteral;
  std::string text;  // unescaped, text literals only
  double number;     // number literals only
  std::size_t literalAt;
};

enum class Kind : unsigned char { Compare, Not, And, Or };

// Nodes live in a flat vector: no recursive destruction, and AND/OR chains
// are n-ary so a long chain does not make a deep tree.
struct Node {
  Kind kind;
  std::size_t first;  // Compare: comparison; Not: operand node; And/Or: first in kids
  std::size_t count;  // And/Or: number of operands
};

struct Parsed {
  std::vector<Node> nodes;
  std::vector<std::size_t> kids;
  std::vector<Comparison> comparisons;
  std::size_t root = 0;
  bool blank = true;
};

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

bool IsKeyword(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

// Positions count characters, not bytes, so that they match what the user
// sees when the text holds UTF-8. Linear, so only computed for an error.
std::size_t CharPosition(std::string_view text, std::size_t offset) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i)
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++chars;
  return chars + 1;
}

class Parser {
 public:
  Parser(std::string_view text, Parsed& out) : s_(text), out_(out) {}

  void Run() {
    Advance();
    if (tok_.kind == Tok::End) return;  // blank text
    out_.root = ParseOr();
    out_.blank = false;
    if (tok_.kind == Tok::RParen) Fail(tok_.begin, "unmatched closing parenthesis");
    if (tok_.kind != Tok::End) Fail(tok_.begin, "unexpected text after the expression");
  }

 private:
  enum class Tok { End, Name, Text, Number, LParen, RParen, Compare, And, Or, Not, Other };
  struct Token {
    Tok kind = Tok::End;
    std::size_t begin = 0, end = 0;  // byte offsets
    Op op = Op::Eq;
  };

  [[noreturn]] void Fail(std::size_t offset, const char* cause) const {
    throw EFilterError(CharPosition(s_, offset), cause);
  }

  // Lexes one token at a time, so the fault reported is the first one the
  // grammar trips over, not some later bad token.
  void Advance() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
    tok_ = Token{Tok::End, pos_, pos_, Op::Eq};
    if (pos_ >= s_.size()) return;
    const char c = s_[pos_];
    const char next = pos_ + 1 < s_.size() ? s_[pos_ + 1] : '\0';
    std::size_t len = 1;
    switch (c) {
      case '(': tok_.kind = Tok::LParen; break;
      case ')': tok_.kind = Tok::RParen; break;
      case '=': tok_.kind = Tok::Compare; tok_.op = Op::Eq; break;
      case '<':
        tok_.kind = Tok::Compare;
        tok_.op = next == '=' ? Op::Le : next == '>' ? Op::Ne : Op::Lt;
        if (tok_.op != Op::Lt) len = 2;
        break;
      case '>':
        tok_.kind = Tok::Compare;
        tok_.op = next == '=' ? Op::Ge : Op::Gt;
        if (tok_.op == Op::Ge) len = 2;
        break;
      case '\'': tok_.kind = Tok::Text; len = StringLength(); break;
      default:
        if (IsDigit(c) || (c == '-' && IsDigit(next))) {
          tok_.kind = Tok::Number;
          len = NumberLength();
        } else if (IsNameStart(c)) {
          while (pos_ + len < s_.size() && IsNameChar(s_[pos_ + len])) ++len;
          std::string_view word = s_.substr(pos_, len);
          tok_.kind = IsKeyword(word, "AND")  ? Tok::And
                      : IsKeyword(word, "OR") ? Tok::Or
                      : IsKeyword(word, "NOT") ? Tok::Not
                                               : Tok::Name;
        } else {
          tok_.kind = Tok::Other;  // the parser says what it expected instead
        }
    }
    pos_ += len;
    tok_.end = pos_;
  }

  std::size_t StringLength() const {
    std::size_t i = pos_ + 1;
    while (i < s_.size()) {
      if (s_[i] == '\'') {
        if (i + 1 < s_.size() && s_[i + 1] == '\'') {
          i += 2;
          continue;
        }
        return i + 1 - pos_;
      }
      ++i;
    }
    Fail(pos_, "unterminated string");
  }

  std::size_t NumberLength() const {
    std::size_t i = pos_;
    auto digits = [&] {
      std::size_t start = i;
      while (i < s_.size() && IsDigit(s_[i])) ++i;
      return i > start;
    };
    if (s_[i] == '-') ++i;
    digits();
    if (i < s_.size() && s_[i] == '.') {
      ++i;
      if (!digits()) Fail(pos_, "malformed number");
    }
    if (i < s_.size() && (s_[i] == 'e' || s_[i] == 'E')) {
      ++i;
      if (i < s_.size() && (s_[i] == '+' || s_[i] == '-')) ++i;
      if (!digits()) Fail(pos_, "malformed number");
    }
    // "12abc" or "1.2.3" is one mistyped value, not a number and a name.
    if (i < s_.size() && (IsNameChar(s_[i]) || s_[i] == '.')) Fail(pos_, "malformed number");
    return i - pos_;
  }

  void Enter() {
    if (++depth_ > kMaxNesting) Fail(tok_.begin, "nested too deeply");
  }

  std::size_t AddNode(Kind kind, std::size_t first, std::size_t count) {
    out_.nodes.push_back(Node{kind, first, count});
    return out_.nodes.size() - 1;
  }

  std::size_t AddGroup(Kind kind, const std::vector<std::size_t>& operands) {
    std::size_t first = out_.kids.size();
    out_.kids.insert(out_.kids.end(), operands.begin(), operands.end());
    return AddNode(kind, first, operands.size());
  }

  std::size_t ParseOr() {
    std::size_t node = ParseAnd();
    if (tok_.kind != Tok::Or) return node;
    std::vector<std::size_t> operands{node};
    while (tok_.kind == Tok::Or) {
      Advance();
      operands.push_back(ParseAnd());
    }
    return AddGroup(Kind::Or, operands);
  }

  std::size_t ParseAnd() {
    std::size_t node = ParseUnary();
    if (tok_.kind != Tok::And) return node;
    std::vector<std::size_t> operands{node};
    while (tok_.kind == Tok::And) {
      Advance();
      operands.push_back(ParseUnary());
    }
    return AddGroup(Kind::And, operands);
  }

  std::size_t ParseUnary() {
    if (tok_.kind == Tok::Not) {
      Enter();
      Advance();
      std::size_t operand = ParseUnary();
      --depth_;
      return AddNode(Kind::Not, operand, 0);
    }
    if (tok_.kind == Tok::LParen) {
      Enter();
      Advance();
      std::size_t inner = ParseOr();
      if (tok_.kind != Tok::RParen) Fail(tok_.begin, "missing closing parenthesis");
      Advance();
      --depth_;
      return inner;
    }
    return ParseComparison();
  }

  std::size_t ParseComparison() {
    if (tok_.kind != Tok::Name) Fail(tok_.begin, "expected a field name");
    Comparison c{};
    c.field = std::string(Lexeme());
    c.fieldAt = tok_.begin;
    Advance();
    if (tok_.kind != Tok::Compare) Fail(tok_.begin, "expected a comparison operator");
    c.op = tok_.op;
    Advance();
    c.literalAt = tok_.begin;
    if (tok_.kind == Tok::Text) {
      c.textLiteral = true;
      std::string_view body = Lexeme().substr(1, tok_.end - tok_.begin - 2);
      c.text.reserve(body.size());
      for (std::size_t i = 0; i < body.size(); ++i) {
        c.text += body[i];
        if (body[i] == '\'') ++i;  // the lexer only lets quotes through in pairs
      }
    } else if (tok_.kind == Tok::Number) {
      c.textLiteral = false;
      auto [end, ec] = std::from_chars(s_.data() + tok_.begin, s_.data() + tok_.end, c.number);
      if (ec != std::errc() || end != s_.data() + tok_.end) Fail(tok_.begin, "number out of range");
    } else {
      Fail(tok_.begin, "expected a value");
    }
    Advance();
    out_.comparisons.push_back(std::move(c));
    return AddNode(Kind::Compare, out_.comparisons.size() - 1, 0);
  }

  std::string_view Lexeme() const { return s_.substr(tok_.begin, tok_.end - tok_.begin); }

  std::string_view s_;
  Parsed& out_;
  std::size_t pos_ = 0;
  Token tok_;
  int depth_ = 0;
};

// The bound expression: one step per node in pre-order, so that operands
// follow their operator, a subtree is skipped by its size, and evaluating
// walks one array. Comparisons carry the field's slot in the row and the
// literal in the form the field is compared in.
struct Step {
  Kind kind;
  Op op;
  bool asText;            // byte-wise text compare; otherwise numeric
  std::size_t size;       // steps in this subtree, itself included
  std::size_t count;      // And/Or: number of operands
  std::size_t index;      // Compare: the field's slot in the row
  std::string_view text;  // into the Comparison, which outlives the binding
  double number;
};

bool Holds(Op op, int order) {
  switch (op) {
    case Op::Eq: return order == 0;
    case Op::Ne: return order != 0;
    case Op::Lt: return order < 0;
    case Op::Le: return order <= 0;
    case Op::Gt: return order > 0;
    case Op::Ge: return order >= 0;
  }
  return false;
}

bool Holds(Op op, double a, double b) {
  switch (op) {
    case Op::Eq: return a == b;
    case Op::Ne: return a != b;
    case Op::Lt: return a < b;
    case Op::Le: return a <= b;
    case Op::Gt: return a > b;
    case Op::Ge: return a >= b;
  }
  return false;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  // Filter literals are mostly short codes, where a loop beats calling memcmp.
  if (a.size() > 16) return std::memcmp(a.data(), b.data(), a.size()) == 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

bool HoldsText(Op op, std::string_view field, std::string_view literal) {
  if (op == Op::Eq) return SameText(field, literal);
  if (op == Op::Ne) return !SameText(field, literal);
  return Holds(op, field.compare(literal));
}

[[gnu::noinline]] bool TestSlow(const Step& b, const packet::Value& value) {
  if (b.asText) {
    if (const auto* s = std::get_if<std::string>(&value)) return HoldsText(b.op, *s, b.text);
    // A number in a string field should not happen; compare its text form
    // rather than guess. Only this odd case allocates.
    if (const auto* d = std::get_if<double>(&value)) return HoldsText(b.op, FloatToText(*d), b.text);
    return HoldsText(b.op, {}, b.text);
  }
  std::optional<double> number;
  if (const auto* d = std::get_if<double>(&value))
    number = *d;
  else if (const auto* s = std::get_if<std::string>(&value))
    number = TextToFloat(*s);
  // Null or not a number: no order applies, so only "differs" holds.
  return number ? Holds(b.op, *number, b.number) : b.op == Op::Ne;
}

// Matches spends its time here: (in)equality of a text field with a text
// literal stays inline, everything else takes the call.
[[gnu::always_inline]] inline bool Test(const Step& b, const packet::Value& value) {
  const auto* s = std::get_if<std::string>(&value);
  if (b.asText && s && (b.op == Op::Eq || b.op == Op::Ne)) return SameText(*s, b.text) == (b.op == Op::Eq);
  return TestSlow(b, value);
}

// Keeps a user's long literal from swamping the error message.
std::string Shorten(const std::string& text) {
  constexpr std::size_t kMax = 40;
  if (text.size() <= kMax) return text;
  std::size_t cut = kMax - 3;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut) + "...";
}

}  // namespace

EFilterError::EFilterError(std::size_t position, std::string cause)
    : EDatabaseError(FilterMessage(position, cause)), position_(position), cause_(std::move(cause)) {}

struct FilterExpression::Impl {
  std::string text;
  Parsed parsed;
  std::vector<Step> program;  // empty for a blank expression
  std::size_t rowSize = 0;    // values a row needs for the bound slots
  bool isBound = false;

  // Recurses only into NOT and nested groups; comparisons, the operands of
  // nearly every AND/OR, are tested in the loop.
  static bool Run(const Step* step, const packet::Row& row) {
    switch (step->kind) {
      case Kind::Compare: return Test(*step, row[step->index]);
      case Kind::Not: return !Run(step + 1, row);
      case Kind::And:
      case Kind::Or: {
        const bool stopOn = step->kind == Kind::Or;  // the value that settles the group
        const Step* operand = step + 1;
        for (std::size_t k = 0; k < step->count; ++k, operand += operand->size) {
          bool value = operand->kind == Kind::Compare ? Test(*operand, row[operand->index]) : Run(operand, row);
          if (value == stopOn) return stopOn;
        }
        return !stopOn;
      }
    }
    return false;
  }

  // Appends node n and its operands; compares[i] is comparison i bound.
  void Emit(std::size_t n, const std::vector<Step>& compares, std::vector<Step>& out) const {
    const Node& node = parsed.nodes[n];
    const std::size_t at = out.size();
    if (node.kind == Kind::Compare) {
      out.push_back(compares[node.first]);
      return;
    }
    out.push_back(Step{node.kind, Op::Eq, false, 0, node.count, 0, {}, 0});
    if (node.kind == Kind::Not)
      Emit(node.first, compares, out);
    else
      for (std::size_t i = node.first; i < node.first + node.count; ++i) Emit(parsed.kids[i], compares, out);
    out[at].size = out.size() - at;
  }
};

FilterExpression FilterExpression::Parse(std::string_view text) {
  FilterExpression expr;
  expr.impl_->text = std::string(text);
  Parser(expr.impl_->text, expr.impl_->parsed).Run();
  return expr;
}

FilterExpression::FilterExpression() : impl_(std::make_unique<Impl>()) {}
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;
FilterExpression::~FilterExpression() = default;

// A moved-from expression has no Impl; it behaves as a blank, unbound one.
const std::string& FilterExpression::Text() const {
  static const std::string kEmpty;
  return impl_ ? impl_->text : kEmpty;
}

bool FilterExpression::IsBlank() const { return !impl_ || impl_->parsed.blank; }

bool FilterExpression::IsBound() const { return impl_ && impl_->isBound; }

void FilterExpression::Bind(const Resolver& resolver) {
  if (!impl_) impl_ = std::make_unique<Impl>();
  Impl& d = *impl_;
  d.isBound = false;  // stays so if anything below throws
  if (!d.parsed.comparisons.empty() && !resolver)
    throw std::invalid_argument("FilterExpression::Bind: no resolver");

  std::vector<Step> compares;
  compares.reserve(d.parsed.comparisons.size());
  std::size_t rowSize = 0;
  for (const Comparison& c : d.parsed.comparisons) {
    std::optional<FieldInfo> field = resolver(c.field);
    if (!field) throw EFilterError(CharPosition(d.text, c.fieldAt), "unknown field '" + c.field + "'");
    if (field->index < 0)
      throw std::invalid_argument("FilterExpression::Bind: negative field index for " + c.field);
    Step b{Kind::Compare, c.op, false, 1, 0, static_cast<std::size_t>(field->index), {}, c.number};
    if (field->type == packet::FieldType::String) {
      b.asText = c.textLiteral;
      if (c.textLiteral) b.text = c.text;
    } else if (c.textLiteral) {
      std::optional<double> number = TextToFloat(c.text);
      if (!number)
        throw EFilterError(CharPosition(d.text, c.literalAt),
                           "'" + Shorten(c.text) + "' is not a number for float field '" + c.field + "'");
      b.number = *number;
    }
    rowSize = std::max(rowSize, b.index + 1);
    compares.push_back(b);
  }
  std::vector<Step> program;
  if (!d.parsed.blank) {
    program.reserve(d.parsed.nodes.size());
    d.Emit(d.parsed.root, compares, program);
  }
  d.program = std::move(program);
  d.rowSize = rowSize;
  d.isBound = true;
}

// Out of line so that building the message does not weigh on Matches.
[[noreturn, gnu::noinline, gnu::cold]] static void ThrowShortRow(std::size_t size, std::size_t needed) {
  throw std::invalid_argument("FilterExpression::Matches: the row has " + std::to_string(size) +
                              " values, the filter reads field " + std::to_string(needed - 1));
}

bool FilterExpression::Matches(const packet::Row& row) const {
  if (!IsBound()) throw std::logic_error("FilterExpression::Matches: the filter is not bound");
  if (row.size() < impl_->rowSize) ThrowShortRow(row.size(), impl_->rowSize);
  return impl_->program.empty() || Impl::Run(impl_->program.data(), row);
}

}  // namespace toolkit
