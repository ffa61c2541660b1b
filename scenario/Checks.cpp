// The checks of a script: each compares what the screen shows with what
// the script expects and throws Failure naming both.
#include <charconv>
#include <cmath>

#include "appserver/db/Soci.h"
#include "framework/LocalCache.h"
#include "scenario/Runner.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/DataSet.h"

namespace scenario {

namespace {

void Same(const std::string& what, const std::string& expected, const std::string& actual) {
  if (expected != actual) throw Failure(what + ": expected \"" + expected + "\", got \"" + actual + "\"");
}

std::string StateName(toolkit::DataSetState s) {
  static const char* const kNames[] = {"inactive", "browse", "edit", "insert"};
  return kNames[static_cast<int>(s)];
}

std::string WindowStateName(toolkit::WindowState s) {
  switch (s) {
    case toolkit::WindowState::wsMinimized: return "minimized";
    case toolkit::WindowState::wsMaximized: return "maximized";
    default: return "normal";
  }
}

toolkit::DataSet& DataSetOf(toolkit::Component& c) {
  auto* d = dynamic_cast<toolkit::DataSet*>(&c);
  if (!d) throw Failure(c.Name() + " is no dataset");
  return *d;
}

}  // namespace

// Whole numbers without a decimal part, others in their shortest form with '.'.
std::string DbNumber(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
    return std::to_string(static_cast<long long>(value));
  char buffer[64];
  auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

std::string Runner::QueryText(const std::string& sql) {
  soci::rowset<soci::row> rows = (db_->prepare << sql);
  std::string out;
  bool firstRow = true;
  for (const soci::row& row : rows) {
    if (!firstRow) out += ';';
    firstRow = false;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i) out += '|';
      if (row.get_indicator(i) == soci::i_null) continue;
      switch (row.get_properties(i).get_data_type()) {
        case soci::dt_double: out += DbNumber(row.get<double>(i)); break;
        case soci::dt_integer: out += std::to_string(row.get<int>(i)); break;
        case soci::dt_long_long: out += std::to_string(row.get<long long>(i)); break;
        case soci::dt_unsigned_long_long: out += std::to_string(row.get<unsigned long long>(i)); break;
        default: out += row.get<std::string>(i); break;
      }
    }
  }
  return out;
}

bool Runner::Check(const Command& c) {
  if (c.Verb() == "reset") {
    if (Arg(c, 1) != "calls") throw Failure("reset: only calls");
    calls_.clear();
    lastCall_.clear();
    return true;
  }
  const std::string& what = Arg(c, 1);
  if (what == "message") {
    if (dialogs_.messages.empty()) throw Failure("expected message \"" + Arg(c, 2) + "\", none was shown");
    const std::string shown = dialogs_.messages.front();
    dialogs_.messages.pop_front();
    if (!(Arg(c, 2) == "*" && !c.words[2].quoted)) Same("message", Arg(c, 2), shown);
  } else if (what == "no") {
    if (!dialogs_.messages.empty()) throw Failure("expected no message, got \"" + dialogs_.messages.front() + "\"");
  } else if (what == "focus") {
    toolkit::Control* active = Target().ActiveControl();
    Same("focus", Arg(c, 2), active ? active->Name() : "(none)");
  } else if (what == "text") {
    auto* control = dynamic_cast<toolkit::Control*>(&Find(Arg(c, 2)));
    if (!control) throw Failure(Arg(c, 2) + " is no control");
    Same("text of " + Arg(c, 2), Arg(c, 3), control->Text());
  } else if (what == "enabled") {
    toolkit::Component& target = Find(Arg(c, 2));
    bool enabled = false;
    if (auto* item = dynamic_cast<toolkit::MenuItem*>(&target)) enabled = item->Enabled();
    else if (auto* control = dynamic_cast<toolkit::Control*>(&target)) enabled = control->Enabled();
    else throw Failure(Arg(c, 2) + " has no enabled state");
    Same("enabled " + Arg(c, 2), Arg(c, 3), enabled ? "true" : "false");
  } else if (what == "tag") {
    Same("tag of " + Arg(c, 2), Arg(c, 3), std::to_string(Find(Arg(c, 2)).Tag()));
  } else {
    CheckMore(c);
  }
  return true;
}

void Runner::CheckMore(const Command& c) {
  const std::string& what = Arg(c, 1);
  if (what == "state") {
    Same("state of " + Arg(c, 2), Arg(c, 3), StateName(DataSetOf(Find(Arg(c, 2))).State()));
  } else if (what == "rows") {
    Same("rows of " + Arg(c, 2), Arg(c, 3), std::to_string(DataSetOf(Find(Arg(c, 2))).RecordCount()));
  } else if (what == "field") {
    const std::string& name = Arg(c, 2);
    const auto dot = name.find('.');
    if (dot == std::string::npos) throw Failure("field: DATASET.FIELD expected");
    toolkit::DataSet& d = DataSetOf(Find(name.substr(0, dot)));
    Same("field " + name, Arg(c, 3), d.FieldByName(name.substr(dot + 1)).AsString());
  } else if (what == "items") {
    auto* combo = dynamic_cast<toolkit::ComboBox*>(&Find(Arg(c, 2)));
    if (!combo) throw Failure(Arg(c, 2) + " is no combo box");
    std::string expected, actual;
    for (std::size_t i = 3; i < c.words.size(); ++i) expected += (i > 3 ? "\" \"" : "") + c.words[i].text;
    for (std::size_t i = 0; i < combo->Items().size(); ++i) actual += (i ? "\" \"" : "") + combo->Items()[i];
    Same("items of " + Arg(c, 2), expected, actual);
  } else if (what == "itemindex") {
    auto* combo = dynamic_cast<toolkit::ComboBox*>(&Find(Arg(c, 2)));
    if (!combo) throw Failure(Arg(c, 2) + " is no combo box");
    Same("item index of " + Arg(c, 2), Arg(c, 3), std::to_string(combo->ItemIndex()));
  } else {
    CheckExpect(c);
  }
}

void Runner::CheckExpect(const Command& c) {
  const std::string& what = Arg(c, 1);
  if (what == "column" || what == "selected") {
    auto* grid = dynamic_cast<toolkit::DBGrid*>(&Find(Arg(c, 2)));
    if (!grid) throw Failure(Arg(c, 2) + " is no grid");
    if (what == "selected") {
      toolkit::Field* f = grid->SelectedField();
      return Same("selected column of " + Arg(c, 2), Arg(c, 3), f ? f->FieldName() : "(none)");
    }
    const int i = grid->ColumnOf(Arg(c, 3));
    if (i < 0) throw Failure(Arg(c, 2) + " has no column " + Arg(c, 3));
    const toolkit::Column& col = grid->Columns(i);
    const std::string actual = std::string(col.ReadOnly() ? "readonly" : "editable") + " " +
                               (col.ButtonStyle() == toolkit::ButtonStyle::cbsEllipsis ? "ellipsis" : "none");
    return Same("column " + Arg(c, 3), Arg(c, 4) + " " + Arg(c, 5), actual);
  }
  if (what == "calls") return Same("calls of " + Arg(c, 2), Arg(c, 3), std::to_string(calls_[Arg(c, 2)]));
  if (what == "call") {
    auto it = lastCall_.find(Arg(c, 2));
    if (it == lastCall_.end()) throw Failure(Arg(c, 2) + " was not called");
    std::string expected, actual;
    for (std::size_t i = 3; i < c.words.size(); ++i) expected += (i > 3 ? "\" \"" : "") + c.words[i].text;
    for (std::size_t i = 0; i < it->second.size(); ++i) actual += (i ? "\" \"" : "") + it->second[i];
    return Same("arguments of " + Arg(c, 2), expected, actual);
  }
  if (what == "db") return Same("database", Arg(c, 3), QueryText(Arg(c, 2)));
  if (what == "cache")
    return Same("cache refreshes of " + Arg(c, 2), Arg(c, 3),
                std::to_string(framework::LocalCache::Instance().RefreshCount(Arg(c, 2))));
  if (what == "windowstate") return Same("window state", Arg(c, 2), WindowStateName(Screen().WindowState()));
  if (what == "param") {
    if (dialogs_.reports.empty()) throw Failure("no report was rendered");
    for (const auto& [name, value] : dialogs_.reports.back().parameters)
      if (name == Arg(c, 2)) return Same("report parameter " + name, Arg(c, 3), value);
    throw Failure("the report has no parameter " + Arg(c, 2));
  }
  if (what == "pdf") throw Failure("expect pdf is not supported by this runner yet");
  throw Failure("unknown check " + what);
}

}  // namespace scenario
