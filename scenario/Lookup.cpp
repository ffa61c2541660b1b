#include "scenario/Lookup.h"

#include "toolkit/controls/Application.h"

namespace scenario {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

toolkit::Component* FindIn(toolkit::Form* form, const std::string& name) {
  if (!form) return nullptr;
  if (SameName(form->Name(), name)) return form;
  return form->FindComponent(name);
}

}  // namespace

toolkit::Form* FindScreen() {
  for (toolkit::Form* form : toolkit::Application::Instance().Forms())
    if (form->Name() == kScreenName) return form;
  return nullptr;
}

toolkit::Form& Screen() {
  if (toolkit::Form* screen = FindScreen()) return *screen;
  Fail("the screen " + std::string(kScreenName) + " is not open");
}

toolkit::Form& FrontForm(const Context& context) {
  if (!context.modals.empty()) return *context.modals.back();
  return Screen();
}

toolkit::Component& FindComponent(const Context& context, const std::string& name) {
  for (auto it = context.modals.rbegin(); it != context.modals.rend(); ++it)
    if (toolkit::Component* found = FindIn(*it, name)) return *found;
  toolkit::Form* screen = FindScreen();
  if (toolkit::Component* found = FindIn(screen, name)) return *found;
  toolkit::Application& app = toolkit::Application::Instance();
  if (toolkit::Component* found = FindIn(app.MainForm(), name)) return *found;
  for (toolkit::Form* form : app.Forms())
    if (form != screen && form != app.MainForm())
      if (toolkit::Component* found = FindIn(form, name)) return *found;
  if (!screen && context.modals.empty()) Fail("no component named " + name + " (the screen is not open)");
  Fail("no component named " + name);
}

ScriptFailure ScriptFailureOfKind(const std::string& name, std::string_view kind) {
  return ScriptFailure{name + " is not " + std::string(kind), 0};
}

toolkit::DataSet& FindDataSet(const Context& context, const std::string& name) {
  return FindAs<toolkit::DataSet>(context, name, "a dataset");
}

}  // namespace scenario
