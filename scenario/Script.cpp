#include "scenario/Script.h"

namespace scenario {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a quoted string starting after its opening quote.
std::size_t ReadQuoted(std::string_view line, std::size_t i, int number, std::string& out) {
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') return i + 1;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == line.size()) break;
    if (line[i] != '"' && line[i] != '\\')
      throw ScriptError("line " + std::to_string(number) + ": unknown escape \\" + line[i]);
    out += line[i];
  }
  throw ScriptError("line " + std::to_string(number) + ": string not closed");
}

std::vector<Word> SplitLine(std::string_view line, int number) {
  std::vector<Word> words;
  for (std::size_t i = 0; i < line.size();) {
    if (Blank(line[i])) {
      ++i;
    } else if (line[i] == '#') {
      break;
    } else if (line[i] == '"') {
      Word w{{}, true};
      i = ReadQuoted(line, i + 1, number, w.text);
      words.push_back(std::move(w));
    } else {
      std::size_t j = i;
      while (j < line.size() && !Blank(line[j]) && line[j] != '"' && line[j] != '#') ++j;
      words.push_back({std::string(line.substr(i, j - i)), false});
      i = j;
    }
  }
  return words;
}

}  // namespace

std::vector<Command> ParseScript(std::string_view text) {
  std::vector<Command> commands;
  int number = 0;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++number;
    std::vector<Word> words = SplitLine(text.substr(start, end - start), number);
    if (!words.empty()) commands.push_back({number, std::move(words)});
    start = end + 1;
  }
  return commands;
}

}  // namespace scenario
