#pragma once
// The command line of ate-scenario and the run of all its scripts.
//
//   ate-scenario [--module PATH] [--server PATH] [--pdf-dir DIR] FILE.scn...
//
// Prints "ok FILE" or "FAIL FILE:LINE: what differed" per script, then
// "N passed, M failed". Exit status 0 only when every script passed.

#include <filesystem>
#include <iosfwd>
#include <vector>

#include "scenario/ScriptRun.h"

namespace scenario {

// Paths not given on the command line, next to the runner's executable:
// the module in ../lib, the server in the same folder.
RunnerOptions DefaultOptions(const std::filesystem::path& executable);

// Runs the scripts in order and prints their results; returns the exit
// status.
int RunAll(const std::vector<std::filesystem::path>& scripts, const RunnerOptions& options, std::ostream& out);

// The line printed for one script.
std::string ResultLine(const std::filesystem::path& script, const ScriptResult& result);

}  // namespace scenario
