#include "scenario/Script.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "scenario/Grammar.h"
#include "scenario/KeyNames.h"

namespace scenario {

namespace {

bool IsInteger(const std::string& text, bool allowNegative) {
  if (text.empty() || (text[0] == '-' && !allowNegative)) return false;
  long long value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsName(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsNameChar);
}

std::string Shown(const Token& token) { return token.quoted ? "\"" + token.text + "\"" : token.text; }

std::string Choices(const std::vector<std::string_view>& choices) {
  std::string out;
  for (std::string_view c : choices) out += (out.empty() ? "" : "|") + std::string(c);
  return out;
}

// What is wrong with the argument, or "" when it fits.
std::string ArgProblem(const ArgRule& rule, const Token& token) {
  const bool bare = !token.quoted;
  const std::string& t = token.text;
  switch (rule.kind) {
    case ArgKind::Name: return bare && IsName(t) ? "" : "expected a name";
    case ArgKind::Text: return token.quoted ? "" : "expected a quoted string";
    case ArgKind::TextOrStar: return token.quoted || t == "*" ? "" : "expected a quoted string or *";
    case ArgKind::Int: return bare && IsInteger(t, true) ? "" : "expected a whole number";
    case ArgKind::Count: return bare && IsInteger(t, false) ? "" : "expected a whole number from 0";
    case ArgKind::Bool: return bare && (t == "true" || t == "false") ? "" : "expected true or false";
    case ArgKind::KeyValue: {
      const std::size_t eq = t.find('=');
      return eq != std::string::npos && eq > 0 && IsName(t.substr(0, eq)) ? "" : "expected KEY=VALUE";
    }
    case ArgKind::Keys:
      if (!bare) return "expected a key name";
      try {
        ParseKeys(t);
        return "";
      } catch (const std::invalid_argument& e) {
        return e.what();
      }
    case ArgKind::PickRow: return bare && (t == "none" || IsInteger(t, false)) ? "" : "expected a row number or none";
    case ArgKind::SeedSource: return token.quoted || t == "demo" ? "" : "expected demo or a quoted file name";
    case ArgKind::DataSetField: {
      const std::size_t dot = t.find('.');
      const bool ok = bare && dot != std::string::npos && IsName(t.substr(0, dot)) && IsName(t.substr(dot + 1));
      return ok ? "" : "expected DATASET.FIELD";
    }
    case ArgKind::Choice:
      if (bare && std::find(rule.choices.begin(), rule.choices.end(), t) != rule.choices.end()) return "";
      return "expected " + Choices(rule.choices);
  }
  return "unknown argument kind";
}

void CheckArgs(const VerbRule& rule, const Command& command) {
  const std::size_t fixed = rule.args.size();
  const std::size_t given = command.args.size();
  auto fail = [&](const std::string& why) {
    throw SyntaxError(command.line, why + " (usage: " + std::string(rule.usage) + ")");
  };
  if (given < fixed + static_cast<std::size_t>(rule.minRest)) fail("missing argument");
  if (!rule.rest && given > fixed) fail("too many arguments");
  for (std::size_t i = 0; i < given; ++i) {
    const ArgRule& argRule = i < fixed ? rule.args[i] : *rule.rest;
    const std::string problem = ArgProblem(argRule, command.args[i]);
    if (!problem.empty())
      fail("argument " + std::to_string(i + 1) + " '" + Shown(command.args[i]) + "': " + problem);
  }
}

bool IsVerbPrefix(const std::string& word) {
  for (const VerbRule& rule : Grammar())
    if (rule.verb.size() > word.size() && rule.verb.substr(0, word.size()) == word &&
        rule.verb[word.size()] == ' ')
      return true;
  return false;
}

// Takes the verb (one to three leading bare words) off the tokens.
Command Resolve(std::vector<Token> tokens, int line) {
  if (tokens.front().quoted) throw SyntaxError(line, "a line starts with a command, not with a string");
  std::size_t bare = 0;
  while (bare < tokens.size() && bare < 3 && !tokens[bare].quoted) ++bare;
  for (std::size_t words = bare; words >= 1; --words) {
    std::string verb = tokens[0].text;
    for (std::size_t i = 1; i < words; ++i) verb += " " + tokens[i].text;
    if (FindVerb(verb)) {
      Command command{line, std::move(verb), {}};
      command.args.assign(std::make_move_iterator(tokens.begin() + static_cast<std::ptrdiff_t>(words)),
                          std::make_move_iterator(tokens.end()));
      return command;
    }
  }
  std::string name = tokens[0].text;
  if (IsVerbPrefix(name) && bare > 1) name += " " + tokens[1].text;
  throw SyntaxError(line, "unknown command '" + name + "'");
}

}  // namespace

const std::vector<std::string_view>& VerbNames() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out;
    for (const VerbRule& rule : Grammar()) out.push_back(rule.verb);
    return out;
  }();
  return names;
}

Script ParseScript(std::string_view text, std::string file) {
  Script script{std::move(file), {}};
  int line = 0;
  for (std::size_t start = 0; start < text.size();) {
    ++line;
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::vector<Token> tokens = LexLine(text.substr(start, end - start), line);
    start = end + 1;
    if (tokens.empty()) continue;
    Command command = Resolve(std::move(tokens), line);
    const VerbRule& rule = *FindVerb(command.verb);
    if (!rule.unsupported.empty()) throw SyntaxError(line, std::string(rule.unsupported));
    CheckArgs(rule, command);
    script.commands.push_back(std::move(command));
  }
  return script;
}

}  // namespace scenario
