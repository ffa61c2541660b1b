#pragma once
// Scenario scripts: one command a line, words separated by blanks, strings
// in double quotes (\" and \\ escapes), '#' starting a comment outside
// quotes.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

struct Word {
  std::string text;
  bool quoted = false;
};

struct Command {
  int line = 0;
  std::vector<Word> words;  // never empty
  const std::string& Verb() const { return words.front().text; }
};

// A line that cannot be read; the text names the line.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws ScriptError for an unterminated string or an unknown escape.
std::vector<Command> ParseScript(std::string_view text);

}  // namespace scenario
