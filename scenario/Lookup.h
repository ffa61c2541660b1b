#pragma once
// Finding what a script names: in the modal forms being run (innermost
// first), then in the screen (the application's form "frmPropPass"), then
// in the host's own windows. Every lookup that finds nothing fits throws
// ScriptFailure naming what was looked for.

#include <string>
#include <string_view>

#include "scenario/Context.h"
#include "scenario/Failure.h"
#include "toolkit/controls/Form.h"
#include "toolkit/data/DataSet.h"

namespace scenario {

inline constexpr std::string_view kScreenName = "frmPropPass";

// The screen, or nullptr when it is not open.
toolkit::Form* FindScreen();
toolkit::Form& Screen();
// The form the user works in: the innermost modal form, else the screen.
toolkit::Form& FrontForm(const Context& context);

toolkit::Component& FindComponent(const Context& context, const std::string& name);

// The failure for a component of the wrong kind.
ScriptFailure ScriptFailureOfKind(const std::string& name, std::string_view kind);

// FindComponent, required to be of type T; kind names T in the failure
// ("an edit", "a grid").
template <class T>
T& FindAs(const Context& context, const std::string& name, std::string_view kind) {
  toolkit::Component& component = FindComponent(context, name);
  if (auto* typed = dynamic_cast<T*>(&component)) return *typed;
  throw ScriptFailureOfKind(name, kind);
}


toolkit::DataSet& FindDataSet(const Context& context, const std::string& name);

}  // namespace scenario
