#pragma once
// The application server as a child process on a loopback port, over one
// database file; stopped and started again on the same port.
#include <string>

namespace scenario {

class ServerChild {
 public:
  ServerChild(std::string binary, std::string databaseUrl);
  ~ServerChild();  // stops it
  ServerChild(const ServerChild&) = delete;
  ServerChild& operator=(const ServerChild&) = delete;

  // Starts it (on a free port the first time, then on the same one) and
  // waits for its "listening on" line. Throws std::runtime_error when it
  // ends before.
  void Start();
  // SIGTERM and wait; nothing when it is not running.
  void Stop();
  bool Running() const { return pid_ > 0; }
  int Port() const { return port_; }

 private:
  std::string binary_;
  std::string databaseUrl_;
  int pid_ = -1;
  int port_ = 0;
};

}  // namespace scenario
