#include "Watchdog.h"

#include <cstdio>
#include <cstdlib>

namespace soak {

Watchdog::Watchdog(std::chrono::seconds budget, std::string what) {
  thread_ = std::thread([this, budget, what = std::move(what)] {
    std::unique_lock lock(mutex_);
    if (done_.wait_for(lock, budget, [this] { return finished_; })) return;
    std::fprintf(stderr, "ate-soak: hard time-out: %s took more than %lld s\n", what.c_str(),
                 static_cast<long long>(budget.count()));
    std::fflush(stderr);
    std::_Exit(3);
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  done_.notify_one();
  thread_.join();
}

}  // namespace soak
