// ate-scenario: runs scenario scripts headless against the real screen
// module and a real application server.

#include <CLI/CLI.hpp>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <QGuiApplication>

#include "desktop/ReportPdf.h"
#include "scenario/Runner.h"

namespace {

std::filesystem::path Executable(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) self = std::filesystem::absolute(argv0);
  return self;
}

}  // namespace

int main(int argc, char** argv) {
  // A write to a server that has just stopped must come back as an error
  // of that call, not end the runner.
  std::signal(SIGPIPE, SIG_IGN);
  // Reports are laid out by Qt; no window is ever shown.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication qt(argc, argv);
  scenario::RunnerOptions options = scenario::DefaultOptions(Executable(argv[0]));
  options.writePdf = desktop::WriteReportPdf;
  std::vector<std::string> files;
  std::string module, server, pdfDir;
  CLI::App app{"ate-scenario: runs scenario scripts against the screen module and an application server"};
  app.add_option("--module", module, "the screen module (default: ../lib/libPkg_ate11600.so beside the runner)");
  app.add_option("--server", server, "the application server binary (default: ate-appserver beside the runner)");
  app.add_option("--pdf-dir", pdfDir, "folder for the reports the scripts render");
  app.add_option("scripts", files, "scenario scripts (.scn)")->required();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  if (!module.empty()) options.module = module;
  if (!server.empty()) options.server = server;
  if (!pdfDir.empty()) {
    options.pdfDir = pdfDir;
    std::error_code error;
    std::filesystem::create_directories(options.pdfDir, error);
    if (error) {
      std::cerr << "ate-scenario: cannot create " << pdfDir << ": " << error.message() << '\n';
      return 2;
    }
  }
  std::vector<std::filesystem::path> scripts(files.begin(), files.end());
  return scenario::RunAll(scripts, options, std::cout);
}
