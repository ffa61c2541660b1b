// What a person does on the screen, each through the toolkit's input layer:
// open, call, focus, type, set, key, click, select, col, row, dblclick,
// editbutton, minimize, switch, close.

#include "scenario/KeyNames.h"
#include "scenario/Lookup.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Input.h"
#include "toolkit/controls/Menu.h"

namespace scenario {

namespace {

namespace input = toolkit::input;

toolkit::Control& ControlArg(const Context& context, const Command& command, std::size_t index = 0) {
  return FindAs<toolkit::Control>(context, command.args[index].text, "a control");
}

toolkit::DBGrid& GridArg(const Context& context, const Command& command) {
  return FindAs<toolkit::DBGrid>(context, command.args[0].text, "a grid");
}

toolkit::Form& FormOf(toolkit::Control& control) {
  toolkit::Form* form = control.ParentForm();
  if (!form) Fail(control.Name() + " is on no form");
  return *form;
}

// A click into the control; false when the focus could not reach it.
bool FocusOn(toolkit::Control& control) {
  input::Focus(control);
  return control.Focused();
}

void Open(Context& context, const Command&) { context.host.Open(); }

void Call(Context& context, const Command& command) { context.host.Call(command.args[0].text); }

void Focus(Context& context, const Command& command) { input::Focus(ControlArg(context, command)); }

void Type(Context& context, const Command& command) {
  toolkit::Control& control = ControlArg(context, command);
  if (!FocusOn(control)) return;
  if (auto* edit = dynamic_cast<toolkit::Edit*>(&control)) input::SelectText(*edit, edit->TextLength(), 0);
  input::Type(FormOf(control), command.args[1].text);
}

void Set(Context& context, const Command& command) {
  toolkit::Control& control = ControlArg(context, command);
  auto* edit = dynamic_cast<toolkit::Edit*>(&control);
  if (!edit && !dynamic_cast<toolkit::DBGrid*>(&control)) Fail("set needs an edit or a grid: " + control.Name() + " is neither");
  if (!FocusOn(control)) return;
  // A grid's first typed character replaces the cell; an edit is cleared
  // in one change first.
  if (edit && edit->TextLength() > 0) {
    input::SelectText(*edit, 0, edit->TextLength());
    input::Key(FormOf(control), toolkit::VK_DELETE);
  }
  input::Type(FormOf(control), command.args[1].text);
}

void Key(Context& context, const Command& command) {
  toolkit::Control& control = ControlArg(context, command);
  const KeyStroke stroke = ParseKeys(command.args[1].text);
  auto* form = dynamic_cast<toolkit::Form*>(&control);
  if (!form && !FocusOn(control)) return;
  input::Key(form ? *form : FormOf(control), stroke.key, stroke.shift);
}

void Click(Context& context, const Command& command) {
  toolkit::Component& target = FindComponent(context, command.args[0].text);
  if (auto* item = dynamic_cast<toolkit::MenuItem*>(&target)) return input::Click(*item);
  if (auto* control = dynamic_cast<toolkit::Control*>(&target)) return input::Click(*control);
  throw ScriptFailureOfKind(command.args[0].text, "a control or a menu item");
}

void Select(Context& context, const Command& command) {
  auto& combo = FindAs<toolkit::ComboBox>(context, command.args[0].text, "a combo box");
  const int index = IntArg(command.args[1].text);
  // Clicked first, as a person does: leaving the control before may fill
  // the items.
  input::Focus(combo);
  if (index >= combo.ItemCount())
    Fail(combo.Name() + " has no item " + std::to_string(index) + ": it holds " + std::to_string(combo.ItemCount()));
  input::Choose(combo, index);
}

// The row and column not clicked are passed as -1: the click stays in the
// current one, wherever focusing the grid has left it.
void Col(Context& context, const Command& command) {
  toolkit::DBGrid& grid = GridArg(context, command);
  const int column = grid.ColumnOf(command.args[1].text);
  if (column < 0) Fail(grid.Name() + " has no column " + command.args[1].text);
  input::ClickCell(grid, -1, column);
}

void Row(Context& context, const Command& command) {
  toolkit::DBGrid& grid = GridArg(context, command);
  const int row = IntArg(command.args[1].text);
  if (row >= grid.RowCount())
    Fail(grid.Name() + " has no row " + std::to_string(row) + ": it shows " + std::to_string(grid.RowCount()));
  input::ClickCell(grid, row, -1);
}

void DblClick(Context& context, const Command& command) { input::DblClick(ControlArg(context, command)); }

void EditButton(Context& context, const Command& command) { input::EditButton(GridArg(context, command)); }

void Minimize(Context&, const Command&) { Screen().SetWindowState(toolkit::WindowState::wsMinimized); }

void Switch(Context& context, const Command&) { input::SwitchAway(Screen(), context.host.OtherWindow()); }

void Close(Context& context, const Command&) { input::CloseForm(FrontForm(context)); }

}  // namespace

void AddActionHandlers(HandlerTable& table) {
  table.insert({{"open", Open},
                {"call", Call},
                {"focus", Focus},
                {"type", Type},
                {"set", Set},
                {"key", Key},
                {"click", Click},
                {"select", Select},
                {"col", Col},
                {"row", Row},
                {"dblclick", DblClick},
                {"editbutton", EditButton},
                {"minimize", Minimize},
                {"switch", Switch},
                {"close", Close}});
}

}  // namespace scenario
