#include "scenario/ScriptRun.h"

#include <stdlib.h>

#include <exception>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "framework/Host.h"
#include "framework/LocalCache.h"
#include "framework/NetConnection.h"
#include "scenario/Executor.h"
#include "scenario/Failure.h"
#include "toolkit/controls/Application.h"

namespace scenario {

namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ate-scenario-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw std::system_error(errno, std::generic_category(), "cannot create a temporary folder");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the script");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string RandomToken() {
  std::random_device device;
  std::uniform_int_distribution<int> digit(0, 15);
  std::string token;
  for (int i = 0; i < 24; ++i) token += "0123456789abcdef"[digit(device)];
  return token;
}

// Fails with what the script left undone: a message nobody checked, an
// answer or pick nobody asked for, a stall whose call never came.
void CheckLeftovers(const ScenarioDialogs& dialogs, const CallRecorder& calls) {
  if (calls.ArmedLine())
    throw ScriptFailure{"server stall waited for a call of " + calls.ArmedMethod() + " that never came",
                        calls.ArmedLine()};
  if (!dialogs.Unchecked().empty()) {
    const auto& m = dialogs.Unchecked().front();
    throw ScriptFailure{"message left unchecked: " + Quote(m.text), m.line};
  }
  if (!dialogs.Answers().empty())
    throw ScriptFailure{"answer queued here was never asked for", dialogs.Answers().front().line};
  if (!dialogs.MenuItems().empty())
    throw ScriptFailure{"menu choice queued here was never asked for", dialogs.MenuItems().front().line};
  if (!dialogs.Picks().empty())
    throw ScriptFailure{"pick queued here was never asked for", dialogs.Picks().front().line};
}

// Everything a script runs against, made in this order and taken down in
// the reverse one.
class World {
 public:
  World(const std::filesystem::path& script, const RunnerOptions& options)
      : stem_(script.stem().string()), databaseUrl_("sqlite:" + (dir_.Path() / "ate.db").string()), host_(options.module) {
    try {
      Build(script.parent_path(), options);
    } catch (...) {
      try {
        TakeDown();
      } catch (...) {
        // The failure to build is the one to report.
      }
      throw;
    }
  }
  ~World() {
    try {
      TakeDown();
    } catch (...) {
      // Reached only while another failure is being reported.
    }
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  Context& GetContext() { return *context_; }
  const ScenarioDialogs& Dialogs() const { return dialogs_; }
  const CallRecorder& Calls() const { return calls_; }

  // Throws the first failure of the take-down, after doing all of it.
  void TakeDown() {
    if (done_) return;
    done_ = true;
    std::exception_ptr first;
    try {
      host_.Shutdown();
    } catch (...) {
      first = std::current_exception();
    }
    framework::TNetConnection::SetCallObserver(nullptr);
    framework::LocalCache::Instance().Reset();
    framework::Host() = framework::HostSettings{};
    server_.reset();
    db_.reset();
    if (first) std::rethrow_exception(first);
  }

 private:
  void Build(const std::filesystem::path& scriptDir, const RunnerOptions& options) {
    toolkit::Application::Instance().Reset();
    framework::LocalCache::Instance().Reset();
    framework::Host() = framework::HostSettings{};
    db_ = dbsession::Open(dbsession::ParseUrl(databaseUrl_));
    dbsession::CreateSchema(*db_);
    const std::string token = RandomToken();
    server_ = std::make_unique<AppServerProcess>(options.server, databaseUrl_, token, dir_.Path() / "appserver.log");
    server_->Start();
    framework::HostSettings& settings = framework::Host();
    settings.webUrl = "127.0.0.1";
    settings.webPort = server_->Port();
    settings.token = token;
    toolkit::Application::Instance().SetDialogs(&dialogs_);
    dialogs_.SetPdfOutput(options.pdfDir.empty() ? dir_.Path() : options.pdfDir, stem_, options.writePdf);
    framework::TNetConnection::SetCallObserver(&calls_);
    host_.OpenGeneralDatabase(databaseUrl_);
    host_.CreateWindows();
    context_ = std::make_unique<Context>(Context{scriptDir, host_, *server_, *db_, dialogs_, calls_, {}, dir_.Path()});
  }

  TempDir dir_;
  std::string stem_;
  std::string databaseUrl_;
  std::unique_ptr<soci::session> db_;
  std::unique_ptr<AppServerProcess> server_;
  ScenarioDialogs dialogs_;
  CallRecorder calls_;
  InProcessHost host_;
  std::unique_ptr<Context> context_;
  bool done_ = false;
};

void RunChecked(const std::filesystem::path& file, const RunnerOptions& options) {
  const Script script = ParseScript(ReadText(file), file.string());
  World world(file, options);
  Executor executor(world.GetContext(), script);
  executor.RunAll();
  CheckLeftovers(world.Dialogs(), world.Calls());
  try {
    world.TakeDown();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("while shutting down: ") + e.what());
  }
}

}  // namespace

ScriptResult RunScript(const std::filesystem::path& file, const RunnerOptions& options) {
  try {
    RunChecked(file, options);
    return {true, 0, {}};
  } catch (const ScriptFailure& failure) {
    return {false, failure.line, failure.what};
  } catch (const SyntaxError& e) {
    return {false, e.Line(), e.what()};
  } catch (const std::exception& e) {
    return {false, 0, e.what()};
  } catch (...) {
    return {false, 0, "unknown exception"};
  }
}

}  // namespace scenario
