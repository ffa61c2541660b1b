#include "rpc/PeerGuard.h"

#include <algorithm>

namespace rpc {

namespace {
constexpr std::size_t kPruneAbove = 4096;
constexpr auto kLogWindow = std::chrono::minutes(1);
}  // namespace

bool PeerGuard::Window::Admit(Clock::time_point now, std::size_t limit) {
  if (now - start >= kLogWindow) {
    start = now;
    logged = 0;
  }
  if (logged >= limit) return false;
  ++logged;
  return true;
}

bool PeerGuard::Open(const std::string& address) {
  std::lock_guard lock(mutex_);
  if (peers_.size() > kPruneAbove) Prune(Clock::now());
  Peer& peer = peers_[address];
  if (maxPerPeer_ > 0 && peer.open >= maxPerPeer_) return false;
  ++peer.open;
  return true;
}

void PeerGuard::Close(const std::string& address) {
  std::lock_guard lock(mutex_);
  const auto it = peers_.find(address);
  if (it != peers_.end() && it->second.open > 0) --it->second.open;
}

std::chrono::milliseconds PeerGuard::Refused(const std::string& address, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  Peer& peer = peers_[address];
  if (now - peer.lastRefusal >= kForgetAfter) peer.refusals = 0;
  peer.lastRefusal = now;
  const int doublings = std::min(peer.refusals++, 16);
  return std::min(kFirstDelay * (1 << doublings), kMaxDelay);
}

void PeerGuard::Accepted(const std::string& address) {
  std::lock_guard lock(mutex_);
  const auto it = peers_.find(address);
  if (it != peers_.end()) it->second.refusals = 0;
}

bool PeerGuard::MayLog(const std::string& address, std::size_t* suppressed, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  Peer& peer = peers_[address];
  if (!peer.log.Admit(now, kLogsPerPeer) || !allLog_.Admit(now, kLogsInAll)) {
    ++allLog_.suppressed;
    return false;
  }
  *suppressed = allLog_.suppressed;
  allLog_.suppressed = 0;
  return true;
}

void PeerGuard::Prune(Clock::time_point now) {
  std::erase_if(peers_, [&](const auto& entry) {
    const Peer& p = entry.second;
    return p.open == 0 && now - p.lastRefusal >= kForgetAfter && now - p.log.start >= kLogWindow;
  });
  // Still large: an attack from very many addresses. Keep only the open
  // connections' counts, which the limits need to stay right.
  if (peers_.size() > kPruneAbove) std::erase_if(peers_, [](const auto& entry) { return entry.second.open == 0; });
}

}  // namespace rpc
