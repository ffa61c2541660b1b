#pragma once
// Cuts one line of a script into words.
//
// Words are separated by blanks. A double quote starts a quoted part that
// runs to the next unescaped double quote; inside it \" stands for " and
// \\ for \ (any other escape is an error). Parts written next to each other
// form one word (FiliProc="0002" is the word FiliProc=0002). A # outside
// quotes starts a comment that runs to the end of the line.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

struct Token {
  std::string text;
  bool quoted = false;  // some part of the word was in quotes
};

// A line that does not cut, or a command that does not parse; names the
// line.
class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& what) : std::runtime_error(what), line_(line) {}
  int Line() const { return line_; }

 private:
  int line_;
};

// Throws SyntaxError for an unterminated string or an unknown escape.
std::vector<Token> LexLine(std::string_view text, int line);

}  // namespace scenario
