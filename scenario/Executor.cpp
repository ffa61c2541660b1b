#include "scenario/Executor.h"

#include <exception>

#include "scenario/Failure.h"
#include "toolkit/controls/Form.h"

namespace scenario {

Executor::Executor(Context& context, const Script& script) : context_(context), script_(script) {
  context_.dialogs.SetModalRunner([this](toolkit::Form& form) { RunModal(form); });
  context_.dialogs.SetLineSource([this] { return currentLine_; });
}

void Executor::RunAll() {
  while (next_ < script_.commands.size()) RunOne(script_.commands[next_++]);
}

void Executor::RunModal(toolkit::Form& form) {
  context_.modals.push_back(&form);
  struct Pop {
    Context& c;
    ~Pop() { c.modals.pop_back(); }
  } pop{context_};
  const int opener = currentLine_;
  while (form.Modal()) {
    if (next_ >= script_.commands.size())
      throw ScriptFailure{"the modal form " + form.Name() + " opened here is still open at the end of the script",
                          opener};
    RunOne(script_.commands[next_++]);
  }
  currentLine_ = opener;
}

// Any exception of a command becomes a failure of its line here, at the
// innermost level: a std::exception must not travel through an enclosing
// action, whose outermost handler would show it as an error message.
void Executor::RunOne(const Command& command) {
  const int outer = currentLine_;
  currentLine_ = command.line;
  try {
    const auto handler = Handlers().find(command.verb);
    if (handler == Handlers().end()) Fail("no handler for " + command.verb);
    handler->second(context_, command);
  } catch (ScriptFailure& failure) {
    if (failure.line == 0) failure.line = command.line;
    throw;
  } catch (const std::exception& e) {
    throw ScriptFailure{e.what(), command.line};
  } catch (...) {
    throw ScriptFailure{"unknown exception", command.line};
  }
  currentLine_ = outer;
}

}  // namespace scenario
