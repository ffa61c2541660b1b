#include "packet/Value.h"

#include <algorithm>

#include "packet/PacketDetail.h"

namespace packet {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

std::vector<std::string> SortedLower(const std::vector<std::string_view>& names) {
  std::vector<std::string> out;
  out.reserve(names.size());
  for (std::string_view n : names) out.push_back(LowerCopy(n));
  std::sort(out.begin(), out.end());
  return out;
}

// Below this, comparing every pair beats building sorted copies.
constexpr std::size_t kPairwiseLimit = 16;

}  // namespace

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::String: return "string";
    case FieldType::Float: return "float";
  }
  return "unknown";
}

bool SameFieldName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

namespace detail {

std::string Quoted(std::string_view name) {
  constexpr std::size_t kMax = 64;
  std::string out = "'";
  if (name.size() <= kMax) {
    out += name;
  } else {
    std::size_t cut = kMax;
    // Back off continuation bytes so the message stays valid UTF-8.
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    out += name.substr(0, cut);
    out += "...";
  }
  out += '\'';
  return out;
}

std::ptrdiff_t FindDuplicateName(const std::vector<std::string_view>& names) {
  if (names.size() <= kPairwiseLimit) {
    for (std::size_t i = 1; i < names.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        if (SameFieldName(names[i], names[j])) return static_cast<std::ptrdiff_t>(i);
      }
    }
    return -1;
  }
  // Sorting keeps hostile inputs with many thousands of names from taking
  // quadratic time; the position reported is still the first repeat.
  std::vector<std::pair<std::string, std::size_t>> keyed;
  keyed.reserve(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) keyed.emplace_back(LowerCopy(names[i]), i);
  std::sort(keyed.begin(), keyed.end());
  std::ptrdiff_t first = -1;
  for (std::size_t k = 1; k < keyed.size(); ++k) {
    if (keyed[k].first == keyed[k - 1].first) {
      const auto at = static_cast<std::ptrdiff_t>(keyed[k].second);
      if (first < 0 || at < first) first = at;
    }
  }
  return first;
}

const char* ScalarProblem(const Value& value) {
  return std::holds_alternative<double>(value) ? ": number is not finite" : ": text is not valid UTF-8";
}

bool SameNameSet(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
  if (a.size() != b.size()) return false;
  bool inOrder = true;
  for (std::size_t i = 0; i < a.size() && inOrder; ++i) inOrder = SameFieldName(a[i], b[i]);
  if (inOrder) return true;
  if (a.size() <= kPairwiseLimit) {
    // Without duplicates, equal sizes and every a in b means the same set.
    return std::all_of(a.begin(), a.end(), [&](std::string_view x) {
      return std::any_of(b.begin(), b.end(), [&](std::string_view y) { return SameFieldName(x, y); });
    });
  }
  return SortedLower(a) == SortedLower(b);
}

}  // namespace detail

}  // namespace packet
