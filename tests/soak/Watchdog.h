#pragma once
// The hard time-out of a phase: a run that hangs (a deadlocked server, a
// call that never returns) ends the program instead of the machine's night.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace soak {

class Watchdog {
 public:
  // After budget without being destroyed, prints what timed out to stderr
  // and ends the process with status 3 (its child servers die with it).
  Watchdog(std::chrono::seconds budget, std::string what);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace soak
