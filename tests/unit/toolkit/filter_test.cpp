#include "toolkit/data/FilterExpression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using packet::FieldType;
using packet::Row;
using packet::Value;
using toolkit::EFilterError;
using toolkit::FilterExpression;

namespace {

using Fields = std::vector<std::pair<std::string, FieldType>>;
const Fields kFields = {{"SGCIA", FieldType::String}, {"QT", FieldType::Float}, {"A", FieldType::String},
                        {"B", FieldType::String},     {"C", FieldType::String},  {"NOTE", FieldType::String}};

FilterExpression::Resolver ResolverOver(const Fields& fields) {
  return [fields](std::string_view name) -> std::optional<FilterExpression::FieldInfo> {
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const std::string& f = fields[i].first;
      auto sameLetter = [](unsigned char a, unsigned char b) { return std::toupper(a) == std::toupper(b); };
      if (f.size() == name.size() && std::equal(f.begin(), f.end(), name.begin(), sameLetter))
        return FilterExpression::FieldInfo{static_cast<int>(i), fields[i].second};
    }
    return std::nullopt;
  };
}

// Row over kFields; unnamed fields are null.
Row MakeRow(Value sgcia, Value qt = {}, Value a = {}, Value b = {}, Value c = {}) {
  return Row{std::move(sgcia), std::move(qt), std::move(a), std::move(b), std::move(c), Value{}};
}

bool Eval(const std::string& text, const Row& row) {
  FilterExpression e = FilterExpression::Parse(text);
  e.Bind(ResolverOver(kFields));
  return e.Matches(row);
}

EFilterError ErrorOf(const std::string& text, bool atBind = false) {
  try {
    FilterExpression e = FilterExpression::Parse(text);
    if (atBind) e.Bind(ResolverOver(kFields));
  } catch (const EFilterError& e) {
    return e;
  }
  ADD_FAILURE() << "no error for " << text;
  return EFilterError(0, "");
}

void ExpectAll(const std::vector<std::pair<std::string, bool>>& cases, const Row& row) {
  for (const auto& [text, expected] : cases) EXPECT_EQ(Eval(text, row), expected) << text;
}

TEST(FilterGrammar, EachOperatorOnTextAndNumbers) {
  ExpectAll({{"SGCIA = 'M'", true},  {"SGCIA = 'N'", false},  {"SGCIA <> 'N'", true}, {"SGCIA <> 'M'", false},
             {"SGCIA < 'N'", true},  {"SGCIA < 'M'", false},  {"SGCIA <= 'M'", true}, {"SGCIA <= 'L'", false},
             {"SGCIA > 'L'", true},  {"SGCIA > 'M'", false},  {"SGCIA >= 'M'", true}, {"SGCIA >= 'N'", false},
             {"QT<2.5", true},       {"QT>=-1e3", true},      {"QT = 2E0", true},     {"QT <= 1.99", false}},
            MakeRow("M", 2.0));
}

TEST(FilterGrammar, PrecedenceParenthesesAndNot) {
  const std::string mixed = "A = '1' OR B = '2' AND C = '3'";
  EXPECT_TRUE(Eval(mixed, MakeRow({}, {}, "1", "x", "x")));  // AND binds tighter than OR
  EXPECT_FALSE(Eval(mixed, MakeRow({}, {}, "x", "2", "x")));
  EXPECT_FALSE(Eval("(A = '1' OR B = '2') AND C = '3'", MakeRow({}, {}, "1", "x", "x")));
  EXPECT_FALSE(Eval("NOT A = '1' AND B = '2'", MakeRow({}, {}, "1", "x")));  // NOT binds tighter than AND
  EXPECT_TRUE(Eval("NOT (A = '1' AND B = '2')", MakeRow({}, {}, "1", "x")));
  EXPECT_TRUE(Eval("NOT NOT A = '1'", MakeRow({}, {}, "1")));
  EXPECT_TRUE(Eval("((A = '1')) and (b = '2' oR c = '3') AnD nOt C = '4'", MakeRow({}, {}, "1", "2")));
}

TEST(FilterGrammar, QuotesWhitespaceAndNames) {
  ExpectAll({{"SGCIA = 'O''HARE'", true}, {"SGCIA = 'O''HARA'", false}, {"SGCIA = 'O'", false},
             {"sgcia\t=\r\n'O''HARE'", true}, {"NOTE = ''''", true}, {"NOTE <> ''", true}},
            Row{"O'HARE", {}, {}, {}, {}, "'"});
  EXPECT_EQ(ErrorOf("AND = '1'").Cause(), "expected a field name");
}

TEST(FilterSemantics, TextComparesBytewiseAndNullReadsEmpty) {
  ExpectAll({{"SGCIA = 'm'", false}, {"SGCIA < 'a'", true}, {"A = ''", true}, {"A < 'a'", true},
             {"B > 'Z'", true}},
            MakeRow("M", {}, {}, "\xC3\x89"));
}

TEST(FilterSemantics, StringFieldAgainstNumberReadsItsText) {
  // A text compare would put "12,5" before "9".
  ExpectAll({{"A = 12.5", true}, {"A > 9", true}, {"B = 1", false}, {"B < 1", false}, {"B <> 1", true},
             {"C = 0", false}, {"C <> 0", true}},
            MakeRow({}, {}, "12,5", "abc"));
}

TEST(FilterSemantics, FloatFieldAgainstTextAndNull) {
  ExpectAll({{"QT = '2,5'", true}, {"QT > '10'", false}, {"QT < ' 10.0 '", true}}, MakeRow({}, 2.5));
  ExpectAll({{"QT = 0", false}, {"QT < 0", false}, {"QT >= 0", false}, {"QT <> 0", true}, {"QT <> '1'", true}},
            MakeRow({}, Value{}));
  EFilterError e = ErrorOf("QT = 'abc'", true);
  EXPECT_EQ(e.Position(), 6u);
  EXPECT_EQ(e.Cause(), "'abc' is not a number for float field 'QT'");
}

TEST(FilterSemantics, ValueOfTheOtherKindIsReadInTheFieldsType) {
  ExpectAll({{"A = '2,5'", true}, {"QT > 2", true}, {"QT < '3,0'", false}}, MakeRow({}, "3", 2.5));
}

TEST(FilterErrors, PositionAndCause) {
  const std::vector<std::tuple<std::string, std::size_t, std::string>> cases = {
      {"SGCIA = 'X'Y'", 12, "unexpected text after the expression"},
      {"SGCIA = 'abc", 9, "unterminated string"},
      {"SGCIA 'X'", 7, "expected a comparison operator"},
      {"SGCIA =", 8, "expected a value"},
      {"SGCIA = AND", 9, "expected a value"},
      {"= '1'", 1, "expected a field name"},
      {"A = '1' AND", 12, "expected a field name"},
      {"(A = '1'", 9, "missing closing parenthesis"},
      {"A = '1')", 8, "unmatched closing parenthesis"},
      {"A = '1' B = '2'", 9, "unexpected text after the expression"},
      {"A = 1.x", 5, "malformed number"},
      {"A = 1e999", 5, "number out of range"},
      {"A = '\xC3\x89' #", 9, "unexpected text after the expression"},  // counts characters, not bytes
  };
  for (const auto& [text, position, cause] : cases) {
    EFilterError e = ErrorOf(text);
    EXPECT_EQ(e.Position(), position) << text;
    EXPECT_EQ(e.Cause(), cause) << text;
  }
  EXPECT_STREQ(ErrorOf("SGCIA = 'X'Y'").what(),
               "Invalid filter at position 12: unexpected text after the expression");
  EXPECT_STREQ(EFilterError(0, "too long").what(), "Invalid filter: too long");
}

TEST(FilterErrors, NestingIsLimitedNotFatal) {
  auto nested = [](int depth) { return std::string(depth, '(') + "A = '1'" + std::string(depth, ')'); };
  EXPECT_TRUE(Eval(nested(200), MakeRow({}, {}, "1")));
  EXPECT_EQ(ErrorOf(nested(201)).Position(), 201u);
  EXPECT_EQ(ErrorOf(std::string(100000, '(')).Cause(), "nested too deeply");
  std::string nots;
  for (int i = 0; i < 50000; ++i) nots += "NOT ";
  EXPECT_EQ(ErrorOf(nots + "A = '1'").Cause(), "nested too deeply");
}

TEST(FilterBinding, UnknownFieldIsReportedAtItsName) {
  EFilterError e = ErrorOf("A = '1' OR FOO = '2'", true);
  EXPECT_EQ(e.Position(), 12u);
  EXPECT_EQ(e.Cause(), "unknown field 'FOO'");
}

TEST(FilterBinding, BlankMatchesEveryRowOnceBound) {
  FilterExpression blank = FilterExpression::Parse(" \t\r\n");
  EXPECT_TRUE(blank.IsBlank());
  EXPECT_THROW(blank.Matches(Row{}), std::logic_error);
  blank.Bind(FilterExpression::Resolver{});
  EXPECT_TRUE(blank.Matches(Row{}));
}

TEST(FilterBinding, RebindReplacesTheBindingAndAFailureUnbinds) {
  FilterExpression expr = FilterExpression::Parse("a = 'x'");
  EXPECT_EQ(expr.Text(), "a = 'x'");
  EXPECT_FALSE(expr.IsBlank());
  EXPECT_FALSE(expr.IsBound());
  expr.Bind(ResolverOver({{"A", FieldType::String}, {"B", FieldType::String}}));
  EXPECT_TRUE(expr.Matches(Row{"x", "y"}));
  expr.Bind(ResolverOver({{"B", FieldType::String}, {"A", FieldType::String}}));  // fields reordered
  EXPECT_FALSE(expr.Matches(Row{"x", "y"}));
  EXPECT_TRUE(expr.Matches(Row{"y", "x"}));
  EXPECT_THROW(expr.Matches(Row{"y"}), std::invalid_argument);  // row too short for the binding
  EXPECT_THROW(expr.Bind(ResolverOver({{"B", FieldType::String}})), EFilterError);
  EXPECT_FALSE(expr.IsBound());
  EXPECT_THROW(expr.Matches(Row{"y", "x"}), std::logic_error);
}

}  // namespace
