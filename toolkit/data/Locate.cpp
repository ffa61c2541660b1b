// Locate: the first visible row whose key fields read as the given texts.
#include <cstring>

#include "toolkit/data/DataSet.h"
#include "toolkit/data/FloatText.h"

namespace toolkit {

namespace {

// Folds ASCII and the Latin-1 letters of UTF-8 (À-Þ to à-þ, except ×) to
// lower case, one character at a time; enough for the names this system
// keeps, without a locale.
struct Folder {
  std::string_view text;
  std::size_t pos = 0;
  // Next folded unit: a byte, or for a two-byte Latin-1 letter the folded
  // second byte tagged with the first.
  int Next() {
    unsigned char c = static_cast<unsigned char>(text[pos++]);
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c == 0xC3 && pos < text.size()) {
      unsigned char d = static_cast<unsigned char>(text[pos++]);
      if (d >= 0x80 && d <= 0x9E && d != 0x97) d += 0x20;
      return 0xC300 | d;
    }
    return c;
  }
  bool Done() const { return pos >= text.size(); }
};

bool TextMatches(std::string_view field, std::string_view key, LocateOptions options) {
  bool partial = options & loPartialKey;
  if (!(options & loCaseInsensitive)) {
    if (partial) return field.substr(0, key.size()) == key;
    return field == key;
  }
  Folder f{field}, k{key};
  while (!k.Done()) {
    if (f.Done() || f.Next() != k.Next()) return false;
  }
  return partial || f.Done();
}

}  // namespace

bool DataSet::Locate(std::string_view keyField, const Variant& value, LocateOptions options) {
  return Locate(keyField, std::vector<Variant>{value}, options);
}

bool DataSet::Locate(std::string_view keyFields, const std::vector<Variant>& values, LocateOptions options) {
  CheckActive();
  std::vector<int> keys;
  std::size_t start = 0;
  while (start <= keyFields.size()) {
    std::size_t end = keyFields.find(';', start);
    if (end == std::string_view::npos) end = keyFields.size();
    std::string_view name = keyFields.substr(start, end - start);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    keys.push_back(FieldByName(name).Index());
    start = end + 1;
  }
  if (keys.size() != values.size())
    Error("Locate: " + std::to_string(keys.size()) + " key fields but " + std::to_string(values.size()) + " values");
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const auto& v : values) texts.push_back(v.AsString());

  CheckBrowseMode();
  Fire(BeforeScroll);
  int found = FindRow(keys, texts, options);
  if (found < 0) return false;
  int old = cursor_;
  cursor_ = found;
  bof_ = eof_ = false;
  Scrolled(old);
  Fire(AfterScroll);
  return true;
}

int DataSet::FindRow(const std::vector<int>& keys, const std::vector<std::string>& texts, LocateOptions options) const {
  int n = ViewCount();
  for (int i = 0; i < n; ++i) {
    const packet::Row& row = ViewAt(i)->values;
    bool all = true;
    for (std::size_t k = 0; all && k < keys.size(); ++k) {
      const packet::Value& v = row[keys[k]];
      if (auto* s = std::get_if<std::string>(&v))
        all = TextMatches(*s, texts[k], options);
      else if (auto* d = std::get_if<double>(&v))
        all = TextMatches(FloatToText(*d), texts[k], options);
      else
        all = TextMatches({}, texts[k], options);
    }
    if (all) return i;
  }
  return -1;
}

}  // namespace toolkit
