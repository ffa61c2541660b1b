#pragma once
// Filter expressions of a dataset, parsed once per filter text.
//
// Grammar (keywords case-insensitive, field names case-insensitive):
//   expr       := orExpr
//   orExpr     := andExpr { OR andExpr }
//   andExpr    := unary { AND unary }
//   unary      := NOT unary | '(' expr ')' | comparison
//   comparison := FIELD op literal
//   op         := '=' | '<>' | '<' | '<=' | '>' | '>='
//   literal    := 'text' (a quote inside is written '') | number
// A blank text is an expression that every row matches.
//
// Comparison semantics:
//   string field, text literal:   byte-wise, case-sensitive; null reads as "".
//   string field, number literal: the field's text read as a number ("," or
//                                 "." decimal); text that is not a number
//                                 makes every operator false but <>.
//   float field, number literal:  numeric.
//   float field, text literal:    the literal read as a number when bound;
//                                 not a number is a bind error.
//   null float field:             every operator false but <>.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "packet/Value.h"
#include "toolkit/data/DatabaseError.h"

namespace toolkit {

class EFilterError : public EDatabaseError {
 public:
  // position: 1-based character (not byte) position in the filter text,
  // one past the last character for a fault at its end, 0 when the error
  // concerns the text as a whole; cause: what is wrong there.
  EFilterError(std::size_t position, std::string cause);
  std::size_t Position() const { return position_; }
  const std::string& Cause() const { return cause_; }

 private:
  std::size_t position_;
  std::string cause_;
};

class FilterExpression {
 public:
  struct FieldInfo {
    int index;                // position of the field's value in a row
    packet::FieldType type;
  };
  // Answers the field of that name, or nothing when the dataset has none.
  using Resolver = std::function<std::optional<FieldInfo>(std::string_view name)>;

  // Parses the text. Throws EFilterError with the position and cause of the
  // first fault, e.g. for SGCIA = 'X'Y'.
  static FilterExpression Parse(std::string_view text);

  FilterExpression();
  FilterExpression(FilterExpression&&) noexcept;
  FilterExpression& operator=(FilterExpression&&) noexcept;
  ~FilterExpression();

  const std::string& Text() const;
  bool IsBlank() const;

  // Resolves field names and literals against a dataset's fields. Throws
  // EFilterError for an unknown field (at the name's position) or for a
  // text literal that is not a number compared with a float field (at the
  // literal's position); a failed Bind leaves the expression unbound.
  void Bind(const Resolver& resolver);
  bool IsBound() const;

  // True when the row (one value per dataset field) satisfies the
  // expression. Throws std::logic_error when not bound.
  bool Matches(const packet::Row& row) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace toolkit
