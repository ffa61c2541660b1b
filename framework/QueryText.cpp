#include "framework/QueryText.h"

#include <algorithm>
#include <cctype>

namespace framework::querytext {

namespace {

bool NameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Upper(std::string_view text) {
  std::string s(text);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Skips a quoted literal starting at i (the quote); doubled quotes stay inside.
std::size_t SkipQuoted(std::string_view sql, std::size_t i) {
  const char quote = sql[i];
  for (++i; i < sql.size(); ++i) {
    if (sql[i] != quote) continue;
    if (i + 1 < sql.size() && sql[i + 1] == quote) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return sql.size();
}

// Skips a comment starting at i ("--" to the end of the line, or a block);
// returns i itself when no comment starts there.
std::size_t SkipComment(std::string_view sql, std::size_t i) {
  if (sql.substr(i, 2) == "--") {
    const std::size_t end = sql.find('\n', i);
    return end == std::string_view::npos ? sql.size() : end + 1;
  }
  if (sql.substr(i, 2) == "/*") {
    const std::size_t end = sql.find("*/", i + 2);
    return end == std::string_view::npos ? sql.size() : end + 2;
  }
  return i;
}

std::vector<std::string> Words(std::string_view sql) {
  std::vector<std::string> words;
  for (std::size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    if (const std::size_t after = SkipComment(sql, i); after != i) {
      i = after;
    } else if (c == '\'' || c == '"') {
      i = SkipQuoted(sql, i);
      words.emplace_back("'");
    } else if (NameChar(c) || c == '.') {
      std::size_t j = i;
      while (j < sql.size() && (NameChar(sql[j]) || sql[j] == '.')) ++j;
      words.push_back(Upper(sql.substr(i, j - i)));
      i = j;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c))) words.emplace_back(1, c);
      ++i;
    }
  }
  return words;
}

bool EndsFromList(const std::string& w) {
  static const char* const kEnds[] = {"WHERE", "GROUP", "ORDER", "HAVING", "UNION", "ON", ")", "LIMIT"};
  return std::any_of(std::begin(kEnds), std::end(kEnds), [&](const char* e) { return w == e; });
}

}  // namespace

std::vector<ParamPlace> FindParams(std::string_view sql) {
  std::vector<ParamPlace> places;
  for (std::size_t i = 0; i < sql.size();) {
    const char c = sql[i];
    // The database ignores comments, so a ":NAME" there is no parameter.
    if (const std::size_t after = SkipComment(sql, i); after != i) {
      i = after;
      continue;
    }
    if (c == '\'' || c == '"') {
      i = SkipQuoted(sql, i);
      continue;
    }
    if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {  // a cast, not a parameter
      i += 2;
      continue;
    }
    if (c == ':' && i + 1 < sql.size() && NameChar(sql[i + 1])) {
      std::size_t j = i + 1;
      while (j < sql.size() && NameChar(sql[j])) ++j;
      places.push_back({i, j, std::string(sql.substr(i + 1, j - i - 1))});
      i = j;
      continue;
    }
    ++i;
  }
  return places;
}

std::string NumberParams(std::string_view sql, const std::vector<ParamPlace>& places) {
  std::string out;
  std::size_t at = 0;
  int n = 0;
  for (const ParamPlace& p : places) {
    out.append(sql.substr(at, p.begin - at));
    out += ":p" + std::to_string(++n);
    at = p.end;
  }
  out.append(sql.substr(at));
  return out;
}

std::vector<std::string> FromTables(std::string_view sql) {
  const std::vector<std::string> words = Words(sql);
  std::vector<std::string> tables;
  auto add = [&](const std::string& name) {
    if (name != "'" && name != "(" && std::find(tables.begin(), tables.end(), name) == tables.end())
      tables.push_back(name);
  };
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "JOIN" && i + 1 < words.size()) add(words[i + 1]);
    if (words[i] != "FROM") continue;
    // A comma list: each item starts with its table, then an optional alias.
    bool expectTable = true;
    for (std::size_t j = i + 1; j < words.size() && !EndsFromList(words[j]); ++j) {
      if (words[j] == ",") {
        expectTable = true;
      } else if (expectTable) {
        add(words[j]);
        expectTable = false;
      }
    }
  }
  return tables;
}

}  // namespace framework::querytext
