#pragma once
// Runs the commands of a script in order. A modal form opened by a command
// runs the following commands until one of them closes it; the command
// that opened it then finishes, and the run goes on after the command that
// closed it.

#include <cstddef>

#include "scenario/Context.h"

namespace scenario {

class Executor {
 public:
  Executor(Context& context, const Script& script);

  // Throws ScriptFailure, with the line of the command that failed.
  void RunAll();
  // The line of the command running now (innermost), 0 when none runs.
  int CurrentLine() const { return currentLine_; }

 private:
  void RunModal(toolkit::Form& form);
  void RunOne(const Command& command);

  Context& context_;
  const Script& script_;
  std::size_t next_ = 0;
  int currentLine_ = 0;
};

}  // namespace scenario
