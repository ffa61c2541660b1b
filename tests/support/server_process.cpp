#include "server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace appserver_it {

namespace {

// The child dies with the test program, so a failed test leaves no server.
pid_t Spawn(const std::vector<std::string>& args, int outFd, int errFd) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  ::dup2(outFd, 1);
  if (errFd >= 0) ::dup2(errFd, 2);
  std::vector<std::string> argv{ATE_APPSERVER_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> raw;
  for (std::string& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  ::execv(raw[0], raw.data());
  ::_exit(127);
}

// Reads what fd gives until a newline, the end, or 30 s without a byte.
std::string ReadLine(int fd) {
  std::string line;
  char c;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 30000) <= 0) return line;
    if (::read(fd, &c, 1) != 1 || c == '\n') return line;
    line.push_back(c);
  }
}

}  // namespace

ServerProcess::ServerProcess(const std::vector<std::string>& args, const std::filesystem::path& errLog) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const int errFd = errLog.empty() ? -1 : ::open(errLog.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (!errLog.empty() && errFd < 0) throw std::runtime_error("cannot write " + errLog.string());
  pid_ = Spawn(args, pipeFds[1], errFd);
  ::close(pipeFds[1]);
  if (errFd >= 0) ::close(errFd);
  const std::string line = ReadLine(pipeFds[0]);
  ::close(pipeFds[0]);
  const std::string prefix = "ate-appserver listening on ";
  const std::size_t colon = line.rfind(':');
  if (line.rfind(prefix, 0) != 0 || colon == std::string::npos) {
    const int status = Stop();
    throw std::runtime_error("ate-appserver did not start (said '" + line + "', status " + std::to_string(status) +
                             ")");
  }
  port_ = static_cast<std::uint16_t>(std::stoi(line.substr(colon + 1)));
}

ServerProcess::~ServerProcess() {
  if (pid_ > 0) Kill();
}

int ServerProcess::Stop() { return EndWith(SIGTERM); }

int ServerProcess::Kill() { return EndWith(SIGKILL); }

int ServerProcess::EndWith(int signal) {
  int status = -1;
  if (pid_ > 0) {
    ::kill(pid_, signal);
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  return status;
}

int ServerProcess::RunToExit(const std::vector<std::string>& args, std::string* output) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = Spawn(args, pipeFds[1], pipeFds[1]);
  ::close(pipeFds[1]);
  char buf[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) output->append(buf, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace appserver_it
