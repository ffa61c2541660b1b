// The checks of a script: each compares one thing the user or another
// program could see with what the script expects, and fails with both.

#include <string>
#include <vector>

#include "framework/LocalCache.h"
#include "scenario/DbQuery.h"
#include "scenario/Lookup.h"
#include "scenario/PdfText.h"
#include "scenario/ValueFormat.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/controls/RangeBar.h"

namespace scenario {

namespace {

void Differ(const std::string& what, const std::string& expected, const std::string& actual) {
  if (expected != actual) Fail(what + ": expected " + expected + ", got " + actual);
}

std::string QuoteAll(const std::vector<std::string>& texts) {
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : " ") + Quote(t);
  return out.empty() ? "(none)" : out;
}

const std::string& Name(const Command& command, std::size_t index = 0) { return command.args[index].text; }

void Message(Context& context, const Command& command) {
  const Token& expected = command.args[0];
  const auto message = context.dialogs.TakeMessage();
  const bool any = !expected.quoted && expected.text == "*";
  if (!message) Fail("expected message " + (any ? std::string("*") : Quote(expected.text)) + ", none was shown");
  if (!any) Differ("message", Quote(expected.text), Quote(message->text));
}

void NoMessage(Context& context, const Command&) {
  if (const auto message = context.dialogs.TakeMessage()) Fail("expected no message, got " + Quote(message->text));
}

void Focus(Context& context, const Command& command) {
  auto& control = FindAs<toolkit::Control>(context, Name(command), "a control");
  const toolkit::Control* focused = FrontForm(context).ActiveControl();
  if (focused != &control)
    Fail("focus: expected " + Name(command) + ", got " + (focused ? focused->Name() : std::string("(nothing)")));
}

std::string TextOf(const toolkit::Component& component) {
  if (const auto* grid = dynamic_cast<const toolkit::DBGrid*>(&component))
    return grid->Row() < 0 || grid->SelectedIndex() < 0 ? "" : grid->CellText(grid->Row(), grid->SelectedIndex());
  if (const auto* control = dynamic_cast<const toolkit::Control*>(&component)) return control->Text();
  if (const auto* item = dynamic_cast<const toolkit::MenuItem*>(&component)) return item->Caption();
  throw ScriptFailureOfKind(component.Name(), "a control or a menu item");
}

void Text(Context& context, const Command& command) {
  Differ("text of " + Name(command), Quote(command.args[1].text),
         Quote(TextOf(FindComponent(context, Name(command)))));
}

void Enabled(Context& context, const Command& command) {
  toolkit::Component& target = FindComponent(context, Name(command));
  bool enabled = false;
  if (auto* item = dynamic_cast<toolkit::MenuItem*>(&target)) enabled = item->Enabled();
  else if (auto* control = dynamic_cast<toolkit::Control*>(&target)) enabled = control->Enabled();
  else throw ScriptFailureOfKind(Name(command), "a control or a menu item");
  Differ("enabled of " + Name(command), command.args[1].text, enabled ? "true" : "false");
}

void Tag(Context& context, const Command& command) {
  Differ("tag of " + Name(command), command.args[1].text,
         std::to_string(FindComponent(context, Name(command)).Tag()));
}

void Items(Context& context, const Command& command) {
  auto& combo = FindAs<toolkit::ComboBox>(context, Name(command), "a combo box");
  std::vector<std::string> expected;
  for (std::size_t i = 1; i < command.args.size(); ++i) expected.push_back(command.args[i].text);
  Differ("items of " + Name(command), QuoteAll(expected), QuoteAll(combo.Items()));
}

void ItemIndex(Context& context, const Command& command) {
  auto& combo = FindAs<toolkit::ComboBox>(context, Name(command), "a combo box");
  Differ("item index of " + Name(command), command.args[1].text, std::to_string(combo.ItemIndex()));
}

std::string StateName(toolkit::DataSetState state) {
  switch (state) {
    case toolkit::DataSetState::dsInactive: return "inactive";
    case toolkit::DataSetState::dsBrowse: return "browse";
    case toolkit::DataSetState::dsEdit: return "edit";
    case toolkit::DataSetState::dsInsert: return "insert";
  }
  return "unknown";
}

void State(Context& context, const Command& command) {
  Differ("state of " + Name(command), command.args[1].text, StateName(FindDataSet(context, Name(command)).State()));
}

void FieldText(Context& context, const Command& command) {
  const std::string& path = Name(command);
  const std::size_t dot = path.find('.');
  toolkit::DataSet& dataset = FindDataSet(context, path.substr(0, dot));
  toolkit::Field* field = dataset.FindField(path.substr(dot + 1));
  if (!field) Fail(dataset.Name() + " has no field " + path.substr(dot + 1));
  Differ(path, Quote(command.args[1].text), Quote(field->Text()));
}

void Rows(Context& context, const Command& command) {
  Differ("rows of " + Name(command), command.args[1].text,
         std::to_string(FindDataSet(context, Name(command)).RecordCount()));
}

const toolkit::Column& ColumnArg(const Context& context, const Command& command, toolkit::DBGrid*& grid) {
  grid = &FindAs<toolkit::DBGrid>(context, Name(command), "a grid");
  const int index = grid->ColumnOf(command.args[1].text);
  if (index < 0) Fail(grid->Name() + " has no column " + command.args[1].text);
  return grid->Columns(index);
}

void Column(Context& context, const Command& command) {
  toolkit::DBGrid* grid = nullptr;
  const toolkit::Column& column = ColumnArg(context, command, grid);
  const std::string what = "column " + command.args[1].text + " of " + grid->Name();
  Differ(what, command.args[2].text, column.ReadOnly() ? "readonly" : "editable");
  // An automatic button shows nothing without a pick list.
  Differ(what, command.args[3].text, column.ButtonStyle() == toolkit::ButtonStyle::cbsEllipsis ? "ellipsis" : "none");
}

void Selected(Context& context, const Command& command) {
  auto& grid = FindAs<toolkit::DBGrid>(context, Name(command), "a grid");
  const int index = grid.SelectedIndex();
  if (index >= 0 && grid.ColumnOf(command.args[1].text) == index) return;
  Fail("selected column of " + grid.Name() + ": expected " + command.args[1].text + ", got " +
       (index >= 0 ? grid.Columns(index).FieldName() : std::string("(none)")));
}

// Whether the grid makes the cell of its current row in that field stand
// out.
void Marked(Context& context, const Command& command) {
  auto& grid = FindAs<toolkit::DBGrid>(context, Name(command), "a grid");
  const int column = grid.ColumnOf(command.args[1].text);
  if (column < 0) Fail(grid.Name() + " shows no column " + command.args[1].text);
  Differ("marked " + grid.Name() + " " + command.args[1].text + " on row " + std::to_string(grid.Row()),
         command.args[2].text, grid.Marked(grid.Row(), column) ? "true" : "false");
}

// The bar itself, or the range bar on the grid's form that shows the
// grid's dataset.
const toolkit::RangeBar& BarArg(const Context& context, const std::string& name) {
  toolkit::Component& target = FindComponent(context, name);
  if (auto* bar = dynamic_cast<toolkit::RangeBar*>(&target)) return *bar;
  auto* grid = dynamic_cast<toolkit::DBGrid*>(&target);
  if (!grid) throw ScriptFailureOfKind(name, "a grid or a range bar");
  const toolkit::Form* form = grid->ParentForm();
  for (int i = 0; form && i < form->ComponentCount(); ++i) {
    auto* bar = dynamic_cast<toolkit::RangeBar*>(form->Components(i));
    if (bar && grid->DataSet() && bar->DataSet() == grid->DataSet()) return *bar;
  }
  Fail("no range bar shows the dataset of " + name);
}

void Bar(Context& context, const Command& command) {
  Differ("range bar of " + Name(command), Quote(command.args[1].text),
         Quote(BarArg(context, Name(command)).SegmentText()));
}

void Calls(Context& context, const Command& command) {
  Differ("calls of " + Name(command), command.args[1].text, std::to_string(context.calls.Count(Name(command))));
}

void Call(Context& context, const Command& command) {
  const auto actual = context.calls.LastArguments(Name(command));
  if (!actual) Fail(Name(command) + " was not called");
  std::vector<std::string> expected;
  for (std::size_t i = 1; i < command.args.size(); ++i) expected.push_back(command.args[i].text);
  Differ("arguments of the last " + Name(command), QuoteAll(expected), QuoteAll(*actual));
}

void Db(Context& context, const Command& command) {
  Differ("rows of " + Quote(command.args[0].text), Quote(command.args[1].text),
         Quote(FormatRows(QueryRows(context.db, command.args[0].text))));
}

void Cache(Context&, const Command& command) {
  Differ("local-cache refreshes of " + Name(command), command.args[1].text,
         std::to_string(framework::LocalCache::Instance().RefreshCount(Name(command))));
}

std::string WindowStateName(toolkit::WindowState state) {
  switch (state) {
    case toolkit::WindowState::wsNormal: return "normal";
    case toolkit::WindowState::wsMinimized: return "minimized";
    case toolkit::WindowState::wsMaximized: return "maximized";
  }
  return "unknown";
}

void WindowState(Context&, const Command& command) {
  Differ("window state of the screen", command.args[0].text, WindowStateName(Screen().WindowState()));
}

void Param(Context& context, const Command& command) {
  const auto& report = context.dialogs.LastReport();
  if (!report) Fail("no report has been shown");
  for (const auto& [name, value] : report->parameters)
    if (name == Name(command)) return Differ("report parameter " + name, Quote(command.args[1].text), Quote(value));
  Fail("the last report " + Quote(report->title) + " has no parameter " + Name(command));
}

void Pdf(Context& context, const Command& command) {
  if (!context.dialogs.LastReport()) Fail("no report has been shown");
  if (context.dialogs.LastPdf().empty()) Fail("this runner renders no PDF");
  std::string text;
  try {
    text = PdfText(context.dialogs.LastPdf());
  } catch (const std::runtime_error& e) {
    Fail(e.what());
  }
  const std::string wanted = CollapseBlanks(command.args[0].text);
  if (text.find(wanted) == std::string::npos)
    Fail("the report " + context.dialogs.LastPdf().filename().string() + " does not contain " + Quote(wanted));
}

}  // namespace

void AddCheckHandlers(HandlerTable& table) {
  table.insert({{"expect message", Message},
                {"expect no message", NoMessage},
                {"expect focus", Focus},
                {"expect text", Text},
                {"expect enabled", Enabled},
                {"expect tag", Tag},
                {"expect items", Items},
                {"expect itemindex", ItemIndex},
                {"expect state", State},
                {"expect field", FieldText},
                {"expect rows", Rows},
                {"expect column", Column},
                {"expect selected", Selected},
                {"expect marked", Marked},
                {"expect bar", Bar},
                {"expect calls", Calls},
                {"expect call", Call},
                {"expect db", Db},
                {"expect cache", Cache},
                {"expect windowstate", WindowState},
                {"expect param", Param},
                {"expect pdf", Pdf}});
}

}  // namespace scenario
