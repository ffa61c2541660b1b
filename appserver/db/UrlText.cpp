#include "appserver/db/UrlText.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace dbsession {

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool IsSecretKey(std::string_view key) { return key == "password" || key == "sslpassword"; }

// Which characters of a text are masked; each run of them becomes one ***.
class Masks {
 public:
  explicit Masks(std::string_view text) : text_(text), masked_(text.size(), false) {}
  // The masks of a part of whole that starts at offset, carried to whole.
  void Shift(std::string_view whole, std::size_t offset) {
    std::vector<bool> masked(whole.size(), false);
    std::copy(masked_.begin(), masked_.end(), masked.begin() + static_cast<std::ptrdiff_t>(offset));
    text_ = whole;
    masked_ = std::move(masked);
  }
  void Mask(std::size_t from, std::size_t to) {
    for (; from < to && from < masked_.size(); ++from) masked_[from] = true;
  }
  // The masked runs, as written.
  std::vector<std::string> Runs() const {
    std::vector<std::string> runs;
    for (std::size_t i = 0; i < text_.size(); ++i) {
      if (!masked_[i]) continue;
      const std::size_t from = i;
      while (i < text_.size() && masked_[i]) ++i;
      runs.emplace_back(text_.substr(from, i - from));
    }
    return runs;
  }
  std::string Text() const {
    std::string out;
    for (std::size_t i = 0; i < text_.size();) {
      if (!masked_[i]) {
        out.push_back(text_[i++]);
        continue;
      }
      out += "***";
      while (i < text_.size() && masked_[i]) ++i;
    }
    return out;
  }

 private:
  std::string_view text_;
  std::vector<bool> masked_;
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// libpq decodes the keys of a URI's query too: "pass%77ord" is password.
std::string PercentDecoded(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// "scheme://" at the start, the scheme made of letters, digits, + - .
bool IsUri(std::string_view s) {
  const std::size_t sep = s.find("://");
  if (sep == npos || sep == 0 || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
  for (char c : s.substr(0, sep))
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  return true;
}

// The user info is taken up to the last '@', and the query from the first
// '?': an unencoded '@', '/' or '?' in a password then still falls inside a
// masked part, whichever way a reader cuts the URI.
Masks MaskUri(std::string_view url) {
  Masks masks(url);
  const std::size_t start = url.find("://") + 3;
  const std::size_t at = url.rfind('@');
  const std::size_t colon = url.find(':', start);
  if (at != npos && at > start && colon < at) masks.Mask(colon + 1, at);
  const std::size_t query = url.find('?', start);
  for (std::size_t p = query == npos ? url.size() + 1 : query + 1; p <= url.size();) {
    std::size_t end = url.find('&', p);
    if (end == npos) end = url.size();
    const std::string_view param = url.substr(p, end - p);
    const std::size_t eq = param.find('=');
    if (eq != npos && IsSecretKey(PercentDecoded(param.substr(0, eq)))) masks.Mask(p + eq + 1, end);
    p = end + 1;
  }
  return masks;
}

bool IsKeyword(std::string_view key) {
  if (key.empty()) return false;
  for (char c : key)
    if (!std::islower(static_cast<unsigned char>(c)) && c != '_') return false;
  return true;
}

// Read as libpq reads key=value words: blanks around '=', values quoted
// with '...' (backslash escapes) or bare up to a blank. From a word that
// does not read so, the rest is masked: where its password is, is unknown.
Masks MaskConninfo(std::string_view s) {
  Masks masks(s);
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < s.size() && IsSpace(s[i])) ++i;
  };
  for (skipBlanks(); i < s.size(); skipBlanks()) {
    const std::size_t keyStart = i;
    while (i < s.size() && s[i] != '=' && !IsSpace(s[i])) ++i;
    const std::string_view key = s.substr(keyStart, i - keyStart);
    skipBlanks();
    if (!IsKeyword(key) || i >= s.size() || s[i] != '=') {
      masks.Mask(keyStart, s.size());
      break;
    }
    ++i;
    skipBlanks();
    const std::size_t valueStart = i;
    bool closed = true;
    if (i < s.size() && s[i] == '\'') {
      closed = false;
      for (++i; i < s.size() && !closed; ++i) {
        if (s[i] == '\\') ++i;
        else if (s[i] == '\'') closed = true;
      }
    } else {
      for (; i < s.size() && !IsSpace(s[i]); ++i)
        if (s[i] == '\\') ++i;
    }
    if (!closed || IsSecretKey(key)) masks.Mask(valueStart, closed ? i : s.size());
    if (!closed) break;
  }
  return masks;
}

Masks MaskAny(std::string_view url) {
  if (StartsWith(url, "sqlite:")) return Masks(url);
  if (IsUri(url)) return MaskUri(url);
  const bool prefixed = StartsWith(url, "postgresql:");
  if (prefixed || url.find('=') != npos) {
    const std::size_t skip = prefixed ? 11 : 0;
    Masks masks = MaskConninfo(url.substr(skip));
    masks.Shift(url, skip);
    return masks;
  }
  Masks masks(url);
  const std::size_t colon = url.find(':'), at = url.rfind('@');
  if (colon != npos && at != npos && colon < at) masks.Mask(colon + 1, at);
  return masks;
}

// A quoted value as libpq reads it: quotes gone, escapes undone.
std::string Unquoted(std::string_view s) {
  if (!s.empty() && s.front() == '\'') s.remove_prefix(1);
  if (!s.empty() && s.back() == '\'') s.remove_suffix(1);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) ++i;
    out.push_back(s[i]);
  }
  return out;
}

void EraseAll(std::string& text, const std::string& secret) {
  if (secret.empty()) return;
  for (std::size_t at = text.find(secret); at != npos; at = text.find(secret, at + 3))
    text.replace(at, secret.size(), "***");
}

}  // namespace

std::string WithoutPassword(std::string_view url) { return MaskAny(url).Text(); }

std::string WithoutSecretsOf(std::string_view url, std::string_view text) {
  std::vector<std::string> secrets;
  for (const std::string& run : MaskAny(url).Runs()) {
    secrets.push_back(run);
    secrets.push_back(PercentDecoded(run));
    secrets.push_back(Unquoted(run));
    for (std::size_t from = 0; from < run.size();) {
      std::size_t to = run.find_first_of("@:/?", from);
      if (to == npos) to = run.size();
      if (to - from >= 4 && to - from < run.size()) secrets.push_back(run.substr(from, to - from));
      from = to + 1;
    }
  }
  // Longest first, so that a piece does not spoil the match of the whole.
  std::sort(secrets.begin(), secrets.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  std::string out(text);
  for (const std::string& secret : secrets) EraseAll(out, secret);
  return out;
}

}  // namespace dbsession
