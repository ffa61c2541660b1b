#pragma once
// One script, run against a fresh world: a new temporary SQLite database
// with the schema, a new application server on it, a reset application,
// the host's settings and windows made anew and the module loaded anew.

#include <filesystem>
#include <functional>
#include <string>

#include "toolkit/controls/DialogService.h"

namespace scenario {

struct RunnerOptions {
  std::filesystem::path module;  // the screen module
  std::filesystem::path server;  // the ate-appserver binary
  std::filesystem::path pdfDir;  // where rendered reports go; empty: the script's temporary folder
  // Renders a shown report to a PDF file; without one no PDF is written.
  std::function<void(const toolkit::ReportDocument&, const std::filesystem::path&)> writePdf;
};

struct ScriptResult {
  bool passed = false;
  int line = 0;  // of the failure; 0 when it belongs to no line
  std::string what;
};

// Never throws: anything that goes wrong is the script's failure.
ScriptResult RunScript(const std::filesystem::path& file, const RunnerOptions& options);

}  // namespace scenario
