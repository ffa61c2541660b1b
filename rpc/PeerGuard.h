#pragma once
// What the server remembers about each client address, so that one peer
// cannot take what belongs to all: its open connections (limited), its
// refused handshakes (each answered later than the one before) and the
// refusals it got logged (a few a minute, the rest counted).

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace rpc {

class PeerGuard {
 public:
  using Clock = std::chrono::steady_clock;

  // A refused handshake's answer waits kFirstDelay, doubling with each
  // refusal up to kMaxDelay; forgotten after kForgetAfter without one.
  static constexpr std::chrono::milliseconds kFirstDelay{100};
  static constexpr std::chrono::milliseconds kMaxDelay{5000};
  static constexpr std::chrono::minutes kForgetAfter{10};
  // Refusals logged per address a minute, and for all addresses together.
  static constexpr std::size_t kLogsPerPeer = 10;
  static constexpr std::size_t kLogsInAll = 100;

  // maxPerPeer: connections one address may hold open at once (0: any).
  explicit PeerGuard(std::size_t maxPerPeer) : maxPerPeer_(maxPerPeer) {}

  // Counts a new connection from address; false, counting nothing, when the
  // address already holds its limit.
  bool Open(const std::string& address);
  // One connection counted by Open has closed.
  void Close(const std::string& address);
  // The handshake of a connection from address was refused: how long its
  // answer is to be held back.
  std::chrono::milliseconds Refused(const std::string& address, Clock::time_point now = Clock::now());
  // A handshake from address succeeded: its refusals are forgotten.
  void Accepted(const std::string& address);
  // Whether a refusal of address may be logged now. When it may,
  // *suppressed is the number left unlogged (for any address) since the
  // last line that could tell it.
  bool MayLog(const std::string& address, std::size_t* suppressed, Clock::time_point now = Clock::now());

 private:
  struct Window {
    Clock::time_point start{};
    std::size_t logged = 0;
    std::size_t suppressed = 0;
    bool Admit(Clock::time_point now, std::size_t limit);
  };
  struct Peer {
    std::size_t open = 0;
    int refusals = 0;
    Clock::time_point lastRefusal{};
    Window log;
  };
  // Drops what no longer matters once the table grows large, so that many
  // addresses cannot fill the memory.
  void Prune(Clock::time_point now);

  const std::size_t maxPerPeer_;
  std::mutex mutex_;
  std::unordered_map<std::string, Peer> peers_;
  Window allLog_;
};

}  // namespace rpc
