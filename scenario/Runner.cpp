#include "scenario/Runner.h"

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SqlScript.h"
#include "framework/GeneralDatabase.h"
#include "framework/Host.h"
#include "framework/LocalCache.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Form.h"
#include "toolkit/data/Abort.h"
#include "toolkit/data/FloatText.h"

namespace scenario {

namespace fs = std::filesystem;

Runner::Runner(Paths paths, fs::path script) : paths_(std::move(paths)), script_(std::move(script)) {
  static int counter = 0;
  dir_ = fs::temp_directory_path() / ("ate-scenario-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::create_directories(dir_);
  dbUrl_ = "sqlite:" + (dir_ / "ate.db").string();
}

Runner::~Runner() {
  Finish();
  std::error_code ignored;
  fs::remove_all(dir_, ignored);
}

std::string Runner::Run() {
  std::ifstream in(script_);
  if (!in) return "0: cannot read " + script_.string();
  std::stringstream text;
  text << in.rdbuf();
  int line = 0;
  try {
    commands_ = ParseScript(text.str());
    db_ = dbsession::Open(dbsession::ParseUrl(dbUrl_));
    dbsession::CreateSchema(*db_);
    framework::Host() = framework::HostSettings{};
    framework::Host().databaseUrl = dbUrl_;
    framework::LocalCache::Instance().Reset();
    auto& app = toolkit::Application::Instance();
    app.Reset();
    app.SetDialogs(&dialogs_);
    dialogs_.modalRunner = [this](toolkit::Form& f) { RunModal(f); };
    framework::TNetConnection::SetCallObserver(this);
    while (next_ < commands_.size()) {
      const Command& c = commands_[next_++];
      line = c.line;
      Execute(c);
    }
    line = commands_.empty() ? 0 : commands_.back().line;
    if (!dialogs_.messages.empty()) throw Failure("message left unchecked: \"" + dialogs_.messages.front() + "\"");
  } catch (const std::exception& e) {
    Finish();
    return std::to_string(line) + ": " + e.what();
  }
  Finish();
  return {};
}

void Runner::Execute(const Command& c) {
  if (!dialogs_.failures.empty()) throw Failure(dialogs_.failures.front());
  if (SetUp(c)) return;
  if (c.Verb() == "expect" || c.Verb() == "reset") {
    Check(c);
  } else {
    StartHost();
    Action(c);
    toolkit::Application::Instance().ProcessReleased();
  }
  if (!dialogs_.failures.empty()) throw Failure(dialogs_.failures.front());
}

const std::string& Runner::Arg(const Command& c, std::size_t i) {
  if (i >= c.words.size()) throw Failure(c.Verb() + ": missing argument " + std::to_string(i));
  return c.words[i].text;
}

// The host part that exists before the screen: the server child and the
// general database, opened at the first action so that set-up lines can
// seed the database first.
void Runner::StartHost() {
  if (hostStarted_) return;
  hostStarted_ = true;
  server_ = std::make_unique<ServerChild>(paths_.server, dbUrl_);
  server_->Start();
  framework::Host().webUrl = "127.0.0.1";
  framework::Host().webPort = server_->Port();
  framework::dtmDBGeral = new framework::TdtmDBGeral();
  framework::dtmDBGeral->adcGeral->Open(dbUrl_);
  auto& app = toolkit::Application::Instance();
  auto main = std::make_unique<toolkit::Form>();
  main->SetName("frmPrincipal");
  app.SetMainForm(main.get());
  app.Adopt(std::move(main));
  auto other = std::make_unique<toolkit::Form>();
  other->SetName("frmOutra");
  other->SetFormStyle(toolkit::FormStyle::fsMDIChild);
  other_ = other.get();
  app.Adopt(std::move(other));
}

void Runner::OpenScreen() {
  if (!module_) {
    module_ = dlopen(paths_.module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) throw Failure(std::string("cannot load the module: ") + dlerror());
  }
  if (!initialized_) {
    CallExport("Initialize");
    initialized_ = true;
  }
  CallExport("IniProc");
}

void Runner::CallExport(const std::string& name) {
  if (!module_) throw Failure("the module is not loaded (open first)");
  auto entry = reinterpret_cast<void (*)()>(dlsym(module_, name.c_str()));
  if (!entry) throw Failure("the module has no export " + name);
  try {
    entry();
  } catch (const toolkit::EAbort&) {
    // Silent, as at the host's outermost level.
  } catch (const std::exception& e) {
    toolkit::Application::Instance().Dialogs().ShowError(e.what());
  }
}

// Forms go before the module: their code lives in it.
void Runner::Finish() {
  framework::TNetConnection::SetCallObserver(nullptr);
  toolkit::Application::Instance().Reset();
  delete framework::dtmDBGeral;
  framework::dtmDBGeral = nullptr;
  if (module_) {
    if (initialized_) reinterpret_cast<void (*)()>(dlsym(module_, "Finalize"))();
    dlclose(module_);
    module_ = nullptr;
  }
  initialized_ = false;
  server_.reset();
  db_.reset();
}

void Runner::Called(const std::string& method, const std::vector<rpc::Param>& params) {
  ++calls_[method];
  std::vector<std::string> args;
  for (const rpc::Param& p : params) {
    switch (p.kind) {
      case rpc::Param::Kind::String: args.push_back(p.text); break;
      case rpc::Param::Kind::Number: args.push_back(toolkit::FloatToText(p.number)); break;
      case rpc::Param::Kind::Null: args.push_back(""); break;
      case rpc::Param::Kind::Bool: args.push_back(p.boolean ? "true" : "false"); break;
      default: args.push_back(p.text); break;
    }
  }
  lastCall_[method] = std::move(args);
}

void Runner::RunModal(toolkit::Form& form) {
  modals_.push_back(&form);
  while (form.Modal() && next_ < commands_.size()) {
    const Command& c = commands_[next_++];
    try {
      Execute(c);
    } catch (Failure& f) {
      modals_.pop_back();
      throw Failure(std::to_string(c.line) + ": " + f.what());
    }
  }
  modals_.pop_back();
}

}  // namespace scenario
