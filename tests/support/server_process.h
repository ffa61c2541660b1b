#pragma once
// The real ate-appserver binary as a child process: started with its
// arguments, its port read from the line it prints, stopped or killed.

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "pg_instance.h"

namespace appserver_it {

class ServerProcess {
 public:
  // Starts the server and waits for its "listening on" line; its log
  // (stderr) goes to errLog when one is named. Throws std::runtime_error
  // (with the exit status) when it ends before.
  explicit ServerProcess(const std::vector<std::string>& args, const std::filesystem::path& errLog = {});
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  std::uint16_t Port() const { return port_; }
  int Pid() const { return pid_; }
  // SIGTERM and wait; the exit status as waitpid gives it.
  int Stop();
  // SIGKILL and wait; the exit status as waitpid gives it (not SIGKILL's
  // when the server had already ended by itself).
  int Kill();

  // Runs the server to its end (for start-ups that must fail) and gives its
  // exit code; stdout and stderr go to *output.
  static int RunToExit(const std::vector<std::string>& args, std::string* output);

 private:
  // Sends the signal and reaps the process; -1 when none is running.
  int EndWith(int signal);

  int pid_ = -1;
  std::uint16_t port_ = 0;
};

// A folder of the test's own, removed with what it holds.
using testsupport::TempDir;

}  // namespace appserver_it
