#include "scenario/AppServerProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace scenario {

namespace {

// A server that has not said where it listens by then is taken as hung.
constexpr int kStartTimeoutMs = 30000;
constexpr auto kStopGrace = std::chrono::seconds(10);

std::string Errno(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

int PortOfListeningLine(const std::string& line) {
  static const std::string prefix = "ate-appserver listening on ";
  if (line.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::size_t colon = line.rfind(':');
  if (colon == std::string::npos || colon < prefix.size()) return 0;
  std::string_view digits(line);
  digits.remove_prefix(colon + 1);
  while (!digits.empty() && (digits.back() == '\r' || digits.back() == ' ')) digits.remove_suffix(1);
  int port = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (ec != std::errc() || end != digits.data() + digits.size() || port <= 0 || port > 65535) return 0;
  return port;
}

AppServerProcess::AppServerProcess(std::filesystem::path binary, std::string databaseUrl, std::string token,
                                   std::filesystem::path logFile)
    : binary_(std::move(binary)),
      databaseUrl_(std::move(databaseUrl)),
      token_(std::move(token)),
      logFile_(std::move(logFile)) {}

AppServerProcess::~AppServerProcess() {
  if (Running()) Reap();
}

void AppServerProcess::Start() {
  if (Running()) throw std::logic_error("the application server runs already");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(Errno("pipe"));
  try {
    Spawn(fds[1]);
  } catch (...) {
    close(fds[0]);
    close(fds[1]);
    throw;
  }
  close(fds[1]);
  try {
    WaitForPort(fds[0]);
  } catch (...) {
    close(fds[0]);
    Reap();
    throw;
  }
  // The server prints nothing more on its standard output.
  close(fds[0]);
}

void AppServerProcess::Spawn(int stdoutFd) {
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  std::vector<std::string> args = {binary_.string(), "--db", databaseUrl_, "--listen", listen};
  if (!token_.empty()) {
    args.push_back("--token");
    args.push_back(token_);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int logFd = open(logFile_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (logFd < 0) throw std::runtime_error(Errno(("cannot open " + logFile_.string()).c_str()));
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) {
    close(logFd);
    throw std::runtime_error(Errno("fork"));
  }
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(stdoutFd, STDOUT_FILENO);
    dup2(logFd, STDERR_FILENO);
    execv(argv[0], argv.data());
    const char failed[] = "ate-scenario: cannot run the application server\n";
    (void)!write(STDERR_FILENO, failed, sizeof failed - 1);
    _exit(127);
  }
  close(logFd);
  pid_ = pid;
}

void AppServerProcess::WaitForPort(int readFd) {
  std::string pending;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) throw std::runtime_error("the application server did not start in time" + LogTail());
    pollfd p{readFd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw std::runtime_error(Errno("poll"));
    if (ready == 0) continue;
    char buffer[512];
    const ssize_t n = read(readFd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw std::runtime_error("the application server " + binary_.string() + " stopped before it listened" + LogTail());
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1)) {
      const int port = PortOfListeningLine(pending.substr(0, nl));
      if (port == 0) continue;
      if (port_ != 0 && port != port_)
        throw std::runtime_error("the application server listens on port " + std::to_string(port) +
                                 " instead of " + std::to_string(port_));
      port_ = port;
      return;
    }
  }
}

void AppServerProcess::Stop() {
  if (!Running()) throw std::logic_error("the application server does not run");
  Reap();
}

void AppServerProcess::Stall() {
  if (!Running()) throw std::logic_error("the application server does not run");
  if (stalled_) throw std::logic_error("the application server is stalled already");
  if (kill(pid_, SIGSTOP) != 0) throw std::runtime_error(Errno("SIGSTOP"));
  // Until every thread has stopped, one could still take a request that is
  // sent next.
  int status = 0;
  pid_t seen;
  while ((seen = waitpid(pid_, &status, WUNTRACED)) < 0 && errno == EINTR) {
  }
  if (seen == pid_ && !WIFSTOPPED(status)) {
    pid_ = -1;
    throw std::runtime_error("the application server ended instead of stalling" + LogTail());
  }
  stalled_ = true;
}

void AppServerProcess::Resume() {
  if (!stalled_) throw std::logic_error("the application server is not stalled");
  if (kill(pid_, SIGCONT) != 0) throw std::runtime_error(Errno("SIGCONT"));
  stalled_ = false;
}

void AppServerProcess::Reap() {
  // A stopped process holds SIGTERM until it runs again.
  if (stalled_) kill(pid_, SIGCONT);
  stalled_ = false;
  kill(pid_, SIGTERM);
  const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
  int status = 0;
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_ || (done < 0 && errno != EINTR)) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

std::string AppServerProcess::LogTail() const {
  std::ifstream in(logFile_);
  std::ostringstream all;
  all << in.rdbuf();
  std::string text = all.str();
  constexpr std::size_t kTail = 2000;
  if (text.size() > kTail) text = "..." + text.substr(text.size() - kTail);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? std::string() : "; its log:\n" + text;
}

}  // namespace scenario
