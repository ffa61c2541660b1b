#pragma once
// The application server as a child process of the runner, serving one
// database on a loopback port.
//
// The first start asks for any free port and reads the real one from the
// server's "ate-appserver listening on HOST:PORT" line; later starts use
// the same port, so that clients configured with it reach the new server.
// The child is stopped by the destructor (resumed first when stalled, so
// that it ends on SIGTERM) and killed by the kernel should the runner die
// first.

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace scenario {

class AppServerProcess {
 public:
  // logFile receives the server's standard error.
  AppServerProcess(std::filesystem::path binary, std::string databaseUrl, std::string token,
                   std::filesystem::path logFile);
  ~AppServerProcess();
  AppServerProcess(const AppServerProcess&) = delete;
  AppServerProcess& operator=(const AppServerProcess&) = delete;

  // Throws std::logic_error when it runs already, std::runtime_error (with
  // the end of the server's log) when it does not come up.
  void Start();
  // SIGTERM and wait; SIGKILL when it does not stop. Throws std::logic_error
  // when it does not run. A stalled server is resumed first.
  void Stop();
  bool Running() const { return pid_ > 0; }
  // SIGSTOP: the server keeps its connections and its port, and answers
  // nothing (connections are still accepted by the kernel) until Resume,
  // SIGCONT. Throws std::logic_error when it does not run, or is already
  // stalled for Stall and not stalled for Resume.
  void Stall();
  void Resume();
  bool Stalled() const { return stalled_; }
  // 0 before the first start.
  int Port() const { return port_; }

 private:
  void Spawn(int stdoutFd);
  void WaitForPort(int readFd);
  void Reap();
  std::string LogTail() const;

  std::filesystem::path binary_;
  std::string databaseUrl_;
  std::string token_;
  std::filesystem::path logFile_;
  pid_t pid_ = -1;
  int port_ = 0;
  bool stalled_ = false;
};

// The port of an "ate-appserver listening on HOST:PORT" line; 0 when the
// line is not that.
int PortOfListeningLine(const std::string& line);

}  // namespace scenario
