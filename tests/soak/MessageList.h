#pragma once
// Messages gathered from several client threads, taken once at the end.

#include <cstddef>
#include <limits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace soak {

class MessageList {
 public:
  // Keeps the first `limit` messages; later ones are dropped.
  explicit MessageList(std::size_t limit = std::numeric_limits<std::size_t>::max()) : limit_(limit) {}
  void Add(std::string text) {
    std::lock_guard lock(mutex_);
    if (list_.size() < limit_) list_.push_back(std::move(text));
  }
  std::vector<std::string> Take() {
    std::lock_guard lock(mutex_);
    return std::move(list_);
  }

 private:
  std::size_t limit_;
  std::mutex mutex_;
  std::vector<std::string> list_;
};

}  // namespace soak
