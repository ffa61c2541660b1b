#pragma once
// The hostile client's attacks on a running app server, each run on a
// thread of its own until told to stop, counting what it did and what the
// server did about it. "unexpected" counts the server's failures to
// defend: an answer where a close was due, a close where an answer was.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace hostile {

struct Target {
  std::uint16_t port = 0;
  std::string token;
  int connections = 1024;  // the slot attack's connection attempts at once
};

struct Tally {
  std::string name;
  std::atomic<long> tries{0};
  std::atomic<long> refusedOrClosed{0};  // the server ended it, as it should
  std::atomic<long> answered{0};
  std::atomic<long> unexpected{0};
  // What the first unexpected outcome was, for the report.
  void Unexpected(const std::string& what) {
    if (unexpected++ > 0) return;
    std::lock_guard lock(mutex);
    first = what;
  }
  std::string First() {
    std::lock_guard lock(mutex);
    return first;
  }

 private:
  std::mutex mutex;
  std::string first;
};

class Peer;

// Opens a connection from the address, or counts the server's refusal of
// it (nullptr then); counts the try either way.
std::unique_ptr<Peer> OpenCounted(const std::string& from, const Target& t, Tally& tally);

struct Attack {
  std::string name;
  std::function<void(const Target&, const std::atomic<bool>& stop, Tally&)> run;
};

// Silent connections, trickles, large frames before and after the
// handshake, a huge array, empty-frame floods, malformed requests, token
// guesses.
std::vector<Attack> AllAttacks();
// The same care over HTTP: heads that never end, huge heads, a request
// smuggled behind both body lengths, bearer-token guesses.
std::vector<Attack> HttpAttacks();

}  // namespace hostile
