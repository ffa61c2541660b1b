#pragma once
// The request-rate limit of one connection: a token bucket that refills at
// `rate` requests per second and holds one second's worth (at least one
// request), so a burst of that size passes and a sustained flood does not.

#include <chrono>

namespace rpc {

class RequestRate {
 public:
  using Clock = std::chrono::steady_clock;

  // rate <= 0: no limit. Throws std::invalid_argument when rate is not a
  // finite number.
  explicit RequestRate(double rate, Clock::time_point now = Clock::now());

  // True when a request arriving at `now` may be handled (and counts it);
  // false when it goes over the limit.
  bool Admit(Clock::time_point now = Clock::now());

 private:
  double rate_;
  double capacity_;
  double tokens_;
  Clock::time_point last_;
};

}  // namespace rpc
