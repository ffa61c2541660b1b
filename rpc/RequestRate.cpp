#include "rpc/RequestRate.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace rpc {

// At least one request fits, or a rate under one a second would admit none.
RequestRate::RequestRate(double rate, Clock::time_point now)
    : rate_(rate), capacity_(std::max(rate, 1.0)), tokens_(capacity_), last_(now) {
  if (!std::isfinite(rate)) throw std::invalid_argument("rpc: the request rate limit must be a finite number");
}

bool RequestRate::Admit(Clock::time_point now) {
  if (rate_ <= 0) return true;
  if (now > last_) {
    const double seconds = std::chrono::duration<double>(now - last_).count();
    tokens_ = std::min(capacity_, tokens_ + seconds * rate_);
    last_ = now;
  }
  if (tokens_ < 1) return false;
  tokens_ -= 1;
  return true;
}

}  // namespace rpc
