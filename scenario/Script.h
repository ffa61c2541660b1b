#pragma once
// A scenario script: one command a line, checked against the command
// grammar when it is read, so that a typo fails the script before anything
// runs.

#include <string>
#include <string_view>
#include <vector>

#include "scenario/Lexer.h"

namespace scenario {

struct Command {
  int line = 0;
  std::string verb;         // "type", "expect text", "server stop", ...
  std::vector<Token> args;  // what follows the verb, checked against its grammar
};

struct Script {
  std::string file;
  std::vector<Command> commands;
};

// The verbs of the language, in the order they are documented.
const std::vector<std::string_view>& VerbNames();

// Cuts and checks the text. Throws SyntaxError naming the first bad line:
// an unknown verb, missing or extra arguments, an argument of the wrong
// kind, or a verb this runner does not support.
Script ParseScript(std::string_view text, std::string file);

}  // namespace scenario
