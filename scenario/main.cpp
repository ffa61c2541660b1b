// ate-scenario FILE.scn... : runs each script against the real screen
// module and a real application server, prints ok/FAIL per script and
// "N passed, M failed" last.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "scenario/Runner.h"

namespace fs = std::filesystem;

namespace {

fs::path OwnFolder() {
  std::error_code error;
  fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::current_path() : self.parent_path();
}

int Usage() {
  std::cerr << "usage: ate-scenario [--module PATH] [--server PATH] [--pdf-dir DIR] FILE.scn...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  scenario::Paths paths;
  paths.module = (OwnFolder() / ".." / "lib" / "libPkg_ate11600.so").string();
  paths.server = (OwnFolder() / "ate-appserver").string();
  std::vector<fs::path> scripts;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (arg == "--module") paths.module = value();
    else if (arg == "--server") paths.server = value();
    else if (arg == "--pdf-dir") paths.pdfDir = value();
    else if (arg.rfind("--", 0) == 0) return Usage();
    else scripts.emplace_back(arg);
  }
  if (scripts.empty()) return Usage();
  if (!paths.pdfDir.empty()) fs::create_directories(paths.pdfDir);
  int passed = 0, failed = 0;
  for (const fs::path& script : scripts) {
    scenario::Runner runner(paths, script);
    const std::string failure = runner.Run();
    if (failure.empty()) {
      ++passed;
      std::cout << "ok " << script.string() << "\n";
    } else {
      ++failed;
      std::cout << "FAIL " << script.string() << ":" << failure << "\n";
    }
  }
  std::cout << passed << " passed, " << failed << " failed" << std::endl;
  return failed == 0 ? 0 : 1;
}
