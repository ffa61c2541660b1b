#pragma once
// A command or check of a script that did not hold.
//
// Deliberately not derived from std::exception: a failure raised inside a
// dialog or a modal form (a confirmation nobody answered, a check run while
// a modal form is open) must pass through the toolkit's outermost handlers,
// which turn every std::exception into an error message, and reach the
// runner.

#include <string>

namespace scenario {

struct ScriptFailure {
  std::string what;
  int line = 0;  // 0 until the command that was running fills it in
};

// Throws ScriptFailure with the text.
[[noreturn]] inline void Fail(std::string what) { throw ScriptFailure{std::move(what), 0}; }

// A whole-number argument the grammar has checked; fails when it does not
// fit an int.
int IntArg(const std::string& text);

// "text" with the quotes, for messages that compare texts.
std::string Quote(const std::string& text);

}  // namespace scenario
