#pragma once
// What the commands of one script work on, and the table of their
// handlers.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "appserver/db/Soci.h"
#include "scenario/AppServerProcess.h"
#include "scenario/CallRecorder.h"
#include "scenario/InProcessHost.h"
#include "scenario/ScenarioDialogs.h"
#include "scenario/Script.h"

namespace scenario {

struct Context {
  std::filesystem::path scriptDir;  // seed files are found from here
  InProcessHost& host;
  AppServerProcess& server;
  soci::session& db;  // the script's database, as another user sees it
  ScenarioDialogs& dialogs;
  CallRecorder& calls;
  std::vector<toolkit::Form*> modals;  // modal forms being run, innermost last
  std::filesystem::path workDir;       // the run's own folder: files named by file, write, expect file
};

using Handler = void (*)(Context&, const Command&);
using HandlerTable = std::map<std::string_view, Handler>;

void AddSetupHandlers(HandlerTable& table);
void AddActionHandlers(HandlerTable& table);
void AddCheckHandlers(HandlerTable& table);
void AddFileHandlers(HandlerTable& table);
// Every verb's handler; a verb of the grammar without one is a programming
// error caught by the unit tests.
const HandlerTable& Handlers();

}  // namespace scenario
