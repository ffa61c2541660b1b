#include "scenario/Lexer.h"

namespace scenario {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

// Reads a quoted part starting at the opening quote; returns the index after
// the closing quote.
std::size_t ReadQuoted(std::string_view text, std::size_t i, int line, std::string& out) {
  for (++i; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') return i + 1;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i + 1 >= text.size()) break;
    const char next = text[++i];
    if (next != '"' && next != '\\')
      throw SyntaxError(line, std::string("unknown escape \\") + next + " in a string (only \\\" and \\\\)");
    out += next;
  }
  throw SyntaxError(line, "unterminated string");
}

}  // namespace

std::vector<Token> LexLine(std::string_view text, int line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == '#') break;
    Token token;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '#') {
      if (text[i] == '"') {
        token.quoted = true;
        i = ReadQuoted(text, i, line, token.text);
      } else {
        token.text += text[i++];
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

}  // namespace scenario
