// Set-up lines and the actions of a person, each one call of the toolkit's
// input layer.
#include <fstream>
#include <sstream>

#include "appserver/db/DbSchema.h"
#include "appserver/db/SqlScript.h"
#include "framework/Host.h"
#include "scenario/Keys.h"
#include "scenario/Runner.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Input.h"
#include "toolkit/controls/Menu.h"

namespace scenario {

namespace in = toolkit::input;

namespace {

template <class T>
T& As(toolkit::Component& c, const char* kind) {
  auto* t = dynamic_cast<T*>(&c);
  if (!t) throw Failure(c.Name() + " is no " + kind);
  return *t;
}

void HostSetting(const std::string& pair) {
  const auto eq = pair.find('=');
  if (eq == std::string::npos) throw Failure("host: expected KEY=VALUE, got " + pair);
  const std::string key = pair.substr(0, eq), value = pair.substr(eq + 1);
  auto& h = framework::Host();
  if (key == "ModuFili") h.moduFili = value == "true" || value == "1" || value == "T";
  else if (key == "FiliProc") h.filiProc = value;
  else if (key == "DBPict") h.dbPict = value;
  else if (key == "Token") h.token = value;
  else throw Failure("host: unknown setting " + key);
}

}  // namespace

bool Runner::SetUp(const Command& c) {
  const std::string& v = c.Verb();
  if (v == "host") {
    for (std::size_t i = 1; i < c.words.size(); ++i) HostSetting(c.words[i].text);
  } else if (v == "seed") {
    Seed(c);
  } else if (v == "sql") {
    dbsession::RunScript(*db_, Arg(c, 1));
  } else if (v == "answer") {
    dialogs_.answers.push_back(Arg(c, 1) == "yes");
  } else if (v == "pick") {
    if (Arg(c, 1) == "none")
      dialogs_.picks.push_back(std::nullopt);
    else
      dialogs_.picks.push_back(std::stoi(Arg(c, 1)));
  } else {
    return false;
  }
  return true;
}

void Runner::Seed(const Command& c) {
  if (Arg(c, 1) == "demo" && !c.words[1].quoted) return dbsession::LoadDemo(*db_);
  std::ifstream in(script_.parent_path() / Arg(c, 1));
  if (!in) throw Failure("seed: cannot read " + Arg(c, 1));
  std::stringstream text;
  text << in.rdbuf();
  dbsession::RunScript(*db_, text.str());
}

void Runner::Action(const Command& c) {
  const std::string& v = c.Verb();
  if (v == "open") return OpenScreen();
  if (v == "call") return CallExport(Arg(c, 1));
  if (v == "server") {
    if (Arg(c, 1) == "stop") return server_->Stop();
    if (Arg(c, 1) == "start") return server_->Start();
    throw Failure("server: stop or start");
  }
  if (v == "minimize") return Screen().SetWindowState(toolkit::WindowState::wsMinimized);
  if (v == "switch") return in::SwitchAway(Screen(), *other_);
  if (v == "close") return in::CloseForm(Target());
  if (v == "focus") return in::Focus(As<toolkit::Control>(Find(Arg(c, 1)), "control"));
  if (v == "click") {
    toolkit::Component& target = Find(Arg(c, 1));
    if (auto* item = dynamic_cast<toolkit::MenuItem*>(&target)) return in::Click(*item);
    return in::Click(As<toolkit::Control>(target, "control"));
  }
  if (v == "dblclick") return in::DblClick(As<toolkit::Control>(Find(Arg(c, 1)), "control"));
  if (v == "key") {
    auto& control = As<toolkit::Control>(Find(Arg(c, 1)), "control");
    in::Focus(control);
    for (std::size_t i = 2; i < c.words.size(); ++i) {
      const KeyStroke k = ParseKey(c.words[i].text);
      in::Key(*control.ParentForm(), k.key, k.shift);
    }
    return;
  }
  if (v == "type" || v == "set") return TypeInto(c, v == "set");
  if (v == "select") return in::Choose(As<toolkit::ComboBox>(Find(Arg(c, 1)), "combo box"), std::stoi(Arg(c, 2)));
  if (v == "col" || v == "row") {
    auto& grid = As<toolkit::DBGrid>(Find(Arg(c, 1)), "grid");
    int row = grid.Row(), col = grid.SelectedIndex();
    if (v == "col") {
      col = grid.ColumnOf(Arg(c, 2));
      if (col < 0) throw Failure(grid.Name() + " has no column " + Arg(c, 2));
    } else {
      row = std::stoi(Arg(c, 2));
    }
    return in::ClickCell(grid, row, col);
  }
  if (v == "editbutton") return in::EditButton(As<toolkit::DBGrid>(Find(Arg(c, 1)), "grid"));
  throw Failure("unknown command " + v);
}

void Runner::TypeInto(const Command& c, bool replace) {
  auto& control = As<toolkit::Control>(Find(Arg(c, 1)), "control");
  toolkit::Form& form = *control.ParentForm();
  in::Focus(control);
  if (form.ActiveControl() != &control) return;  // the focus could not get there
  if (auto* edit = dynamic_cast<toolkit::Edit*>(&control)) {
    if (replace) {
      in::SelectText(*edit, 0, edit->TextLength());
      if (edit->TextLength() > 0) in::Key(form, toolkit::VK_DELETE);
    } else {
      in::SelectText(*edit, edit->TextLength(), 0);
    }
  }
  in::Type(form, Arg(c, 2));
}

toolkit::Form& Runner::Screen() {
  for (toolkit::Form* f : toolkit::Application::Instance().Forms())
    if (f->Name() == "frmPropPass") return *f;
  throw Failure("the screen is not open");
}

// The form that actions without a named control work on.
toolkit::Form& Runner::Target() { return modals_.empty() ? Screen() : *modals_.back(); }

toolkit::Component& Runner::Find(const std::string& name) {
  for (auto it = modals_.rbegin(); it != modals_.rend(); ++it)
    if (auto* c = (*it)->FindComponent(name)) return *c;
  auto& forms = toolkit::Application::Instance().Forms();
  for (toolkit::Form* f : forms)
    if (f->Name() == "frmPropPass")
      if (auto* c = f->FindComponent(name)) return *c;
  for (toolkit::Form* f : forms) {
    if (f->Name() == name) return *f;
    if (auto* c = f->FindComponent(name)) return *c;
  }
  throw Failure("no component named " + name);
}

}  // namespace scenario
