#include "scenario/Runner.h"

#include <ostream>

namespace scenario {

RunnerOptions DefaultOptions(const std::filesystem::path& executable) {
  const std::filesystem::path dir = executable.parent_path();
  RunnerOptions options;
  options.module = dir / ".." / "lib" / "libPkg_ate11600.so";
  options.server = dir / "ate-appserver";
  return options;
}

std::string ResultLine(const std::filesystem::path& script, const ScriptResult& result) {
  if (result.passed) return "ok " + script.string();
  std::string line = "FAIL " + script.string();
  if (result.line > 0) line += ":" + std::to_string(result.line);
  return line + ": " + result.what;
}

int RunAll(const std::vector<std::filesystem::path>& scripts, const RunnerOptions& options, std::ostream& out) {
  int passed = 0;
  int failed = 0;
  for (const std::filesystem::path& script : scripts) {
    const ScriptResult result = RunScript(script, options);
    (result.passed ? passed : failed) += 1;
    out << ResultLine(script, result) << std::endl;
  }
  out << passed << " passed, " << failed << " failed" << std::endl;
  return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace scenario
