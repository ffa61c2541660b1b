// toolkit::FilterExpression on any text, bound to a dataset's fields and run
// over a few rows.
//
// Checks: the text is kept; a refusal points inside the text or one past its
// end; whatever parses and binds matches each row the opposite way once
// wrapped in NOT ( ... ).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "toolkit/data/FilterExpression.h"

namespace {

using packet::FieldType;
using packet::Row;
using toolkit::EFilterError;
using toolkit::FilterExpression;

const std::vector<std::pair<std::string, FieldType>> kFields = {
    {"SGCIA", FieldType::String}, {"CDCIA", FieldType::String}, {"NRVOO", FieldType::String},
    {"QTDEPAXINI", FieldType::Float}, {"QTDEPAXFIM", FieldType::Float}, {"DESCR", FieldType::String}};

const std::vector<Row> kRows = {
    {{}, {}, {}, {}, {}, {}},
    {std::string("XY"), std::string("0101"), std::string("1234"), 1.0, 20.0, std::string("Refeição")},
    {std::string(""), std::string("1,5"), std::string("abc"), -0.0, 1e300, std::string("it's")},
    {std::string("Z"), std::string(" 12 "), std::string("1e3"), -7.25, {}, std::string("\xC3\xA7")},
};

std::optional<FilterExpression::FieldInfo> Resolve(std::string_view name) {
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    const std::string& f = kFields[i].first;
    if (f.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < f.size() && same; ++k)
      same = f[k] == (name[k] >= 'a' && name[k] <= 'z' ? name[k] - 'a' + 'A' : name[k]);
    if (same) return FilterExpression::FieldInfo{static_cast<int>(i), kFields[i].second};
  }
  return std::nullopt;
}

// Characters, not bytes: positions count UTF-8 sequences. Bytes that start
// no sequence count one each, which is the most the parser can report.
std::size_t Characters(std::string_view text) {
  std::size_t n = 0;
  for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

std::optional<FilterExpression> Bound(std::string_view text) {
  try {
    FilterExpression e = FilterExpression::Parse(text);
    e.Bind(Resolve);
    FUZZ_CHECK(e.IsBound());
    return e;
  } catch (const EFilterError& e) {
    FUZZ_CHECK(e.Position() <= text.size() + 1);
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const FilterExpression parsed = FilterExpression::Parse(text);
    FUZZ_CHECK(parsed.Text() == text);
    FUZZ_CHECK(!parsed.IsBound());
  } catch (const EFilterError& e) {
    FUZZ_CHECK(e.Position() <= Characters(text) + 1);
  }
  const std::optional<FilterExpression> e = Bound(text);
  if (!e || e->IsBlank()) return 0;
  const std::optional<FilterExpression> negated = Bound("NOT (" + std::string(text) + ")");
  for (const Row& row : kRows) {
    const bool matches = e->Matches(row);
    if (negated) FUZZ_CHECK(negated->Matches(row) == !matches);
  }
  return 0;
}
