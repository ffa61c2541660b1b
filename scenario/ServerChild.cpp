#include "scenario/ServerChild.h"

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace scenario {

ServerChild::ServerChild(std::string binary, std::string databaseUrl)
    : binary_(std::move(binary)), databaseUrl_(std::move(databaseUrl)) {}

ServerChild::~ServerChild() { Stop(); }

void ServerChild::Start() {
  if (Running()) return;
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  const std::string listen = "127.0.0.1:" + std::to_string(port_);
  std::vector<std::string> args = {binary_, "--db", databaseUrl_, "--listen", listen, "--log-level", "warn"};
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(binary_.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string line;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);
  const auto colon = line.rfind(':');
  if (line.find("listening on") == std::string::npos || colon == std::string::npos) {
    Stop();
    throw std::runtime_error("the application server " + binary_ + " did not start: " + line);
  }
  port_ = std::stoi(line.substr(colon + 1));
}

void ServerChild::Stop() {
  if (!Running()) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace scenario
