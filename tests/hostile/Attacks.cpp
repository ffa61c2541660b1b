#include "Attacks.h"

#include <memory>
#include <thread>

#include "Peer.h"
#include "rpc/Message.h"

namespace hostile {

std::unique_ptr<Peer> OpenCounted(const std::string& from, const Target& t, Tally& tally) {
  ++tally.tries;
  try {
    return std::make_unique<Peer>(from, t.port);
  } catch (const std::exception&) {
    ++tally.refusedOrClosed;
    return nullptr;
  }
}

namespace {

using namespace std::chrono_literals;

constexpr std::size_t kMaxFrame = std::size_t{16} << 20;

std::string Header(std::size_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
}

// A connection that has shaken hands with the right token.
std::unique_ptr<Peer> Friend(const std::string& from, const Target& t, Tally& tally) {
  auto p = OpenCounted(from, t, tally);
  if (!p) return nullptr;
  p->SendFrame(ConnectRequest(t.token));
  if (!p->ReadFrame(10s)) {
    ++tally.refusedOrClosed;
    return nullptr;
  }
  return p;
}

// Holds `connections` silent connections, 60 from each address (under the
// per-address limit), opening new ones as the server closes them; and one
// greedy address asks for 200 more, of which the server must refuse all
// but its per-address limit.
void Slots(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  constexpr int kSpread = 60, kGreedy = 200, kPerAddressLimit = 64;
  std::vector<std::unique_ptr<Peer>> held(static_cast<std::size_t>(t.connections));
  std::vector<std::unique_ptr<Peer>> greedy(kGreedy);
  // A connection counts as held once open this long: before, it may still
  // wait in the listen queue for the server to refuse it.
  constexpr auto kGrace = 5s;
  std::vector<std::chrono::steady_clock::time_point> openedAt(kGreedy);
  while (!stop) {
    for (std::size_t i = 0; i < held.size() && !stop; ++i) {
      if (held[i] && !held[i]->Closed()) continue;
      if (held[i]) ++tally.refusedOrClosed;
      held[i] = OpenCounted(LoopbackAddress(10, static_cast<int>(i) / kSpread), t, tally);
    }
    int greedyHeld = 0;
    const auto now = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < greedy.size(); ++i) {
      if (greedy[i] && !greedy[i]->Closed()) {
        if (now - openedAt[i] > kGrace) ++greedyHeld;
        continue;
      }
      if (greedy[i]) ++tally.refusedOrClosed;
      greedy[i] = OpenCounted(LoopbackAddress(18, 0), t, tally);
      openedAt[i] = now;
    }
    if (greedyHeld > kPerAddressLimit) tally.Unexpected("one address held " + std::to_string(greedyHeld));
    std::this_thread::sleep_for(200ms);
  }
}

// Four bytes a second, which used to keep a connection forever: now it
// must end within the handshake time-out (10 s) and the longest refusal
// delay (5 s).
void Trickle(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  while (!stop) {
    auto p = OpenCounted(LoopbackAddress(11, 0), t, tally);
    if (!p) continue;
    const auto opened = std::chrono::steady_clock::now();
    bool closed = false;
    while (!stop && !closed) closed = !p->Send(std::string(4, '\0')) || p->Closed(1s);
    if (!closed) break;
    ++tally.refusedOrClosed;
    if (std::chrono::steady_clock::now() - opened > 16s) tally.Unexpected("a trickle lived over 16 s");
  }
}

// A 16 MiB frame begun before the handshake: closed at its header.
void StrangersBigFrame(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  while (!stop) {
    auto p = OpenCounted(LoopbackAddress(12, 0), t, tally);
    if (!p) continue;
    p->Send(Header(kMaxFrame) + std::string(8192, '['));
    if (p->Closed(5s)) ++tally.refusedOrClosed;
    else tally.Unexpected("not closed after a 16 MiB header");
  }
}

// Token holders each begin a 16 MiB frame and stall: the memory budget
// lets some in and closes the rest.
void FriendsBigFrames(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  std::vector<std::unique_ptr<Peer>> held;
  for (int i = 0; i < 48 && !stop; ++i) {
    auto p = Friend(LoopbackAddress(13, i / 16), t, tally);
    if (!p) continue;
    const std::string chunk(1 << 20, 'x');
    bool open = p->Send(Header(kMaxFrame) + "{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"Echo\",\"params\":[\"");
    for (int mb = 0; mb < 12 && open && !stop; ++mb) open = p->Send(chunk) && !p->Closed();
    if (!open || p->Closed(100ms)) ++tally.refusedOrClosed;
    else held.push_back(std::move(p));
  }
  tally.answered += static_cast<long>(held.size());  // frames the budget holds
  while (!stop) std::this_thread::sleep_for(100ms);
}

// A whole 16 MiB frame of one array of small numbers, after the handshake.
void HugeArray(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  std::string body = "{\"jsonrpc\":\"2.0\",\"id\":7,\"method\":\"GetCompanhia\",\"params\":[";
  while (body.size() < kMaxFrame - 16) body += "0,";
  body += "0]}";
  while (!stop) {
    auto p = Friend(LoopbackAddress(14, 0), t, tally);
    if (!p) continue;
    p->SendFrame(body);
    const auto answer = p->ReadFrame(30s);
    if (!answer) ++tally.refusedOrClosed;
    else if (rpc::DecodeResponse(*answer).ok) tally.Unexpected("the array was served");
    else ++tally.answered;
    std::this_thread::sleep_for(500ms);
  }
}

// A megabyte of empty frames over fresh connections from one address.
void EmptyFrameFlood(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  const std::string frames(4 * 1000, '\0');  // a thousand empty frames
  while (!stop) {
    for (int i = 0; i < 250 && !stop; ++i) {
      auto p = OpenCounted(LoopbackAddress(15, 0), t, tally);
      if (p) p->Send(frames);
    }
    std::this_thread::sleep_for(1s);
  }
}

// Malformed requests after the handshake: each gets a well-formed error
// answer, and the connection serves on.
void Malformed(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  // Under 64 KiB, so that it does not depend on the memory the large
  // frames of the other attack leave free.
  const std::string deep = std::string(30000, '[') + std::string(30000, ']');
  const std::vector<std::string> bad{
      "{",
      "[]",
      "null",
      "",
      R"({"jsonrpc":"2.0","id":1e400,"method":"GetCompanhia","params":[]})",
      R"({"jsonrpc":"2.0","id":[1],"method":"GetCompanhia","params":[]})",
      R"({"jsonrpc":"2.0","id":2,"method":"GetCompanhia","params":[1e400]})",
      R"({"jsonrpc":"2.0","id":3,"method":"Get\nCompanhia\u001b[2J","params":[]})",
      R"({"jsonrpc":"2.0","id":4,"method":"GetCompanhia","params":)" + deep + "}",
      R"({"jsonrpc":"2.0","id":5,"method":"SetQtdePropServico","params":[{"changes":[{"op":"insert","new":{"QTSERVICO":1e300}}]}]})",
      std::string("\xff\xfe\x00\x01", 4),
  };
  while (!stop) {
    auto p = Friend(LoopbackAddress(16, 0), t, tally);
    if (!p) continue;
    for (const std::string& request : bad) {
      if (stop) break;
      ++tally.tries;
      p->SendFrame(request);
      const auto answer = p->ReadFrame(10s);
      try {
        if (answer && !rpc::DecodeResponse(*answer).ok) {
          ++tally.answered;
          continue;
        }
      } catch (const rpc::RpcError&) {
      }
      // No answer, a success, or one that is not JSON-RPC.
      tally.Unexpected(request.substr(0, 80) + " -> " + (answer ? answer->substr(0, 120) : "no answer"));
      break;
    }
  }
}

// Wrong tokens, eight at a time from one address.
void Guesses(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  std::vector<std::thread> guessers;
  for (int g = 0; g < 8; ++g) {
    guessers.emplace_back([&, g] {
      for (long n = 0; !stop; ++n) {
        auto p = OpenCounted(LoopbackAddress(17, 0), t, tally);
        if (!p) continue;
        p->SendFrame(ConnectRequest("guess-" + std::to_string(g) + "-" + std::to_string(n)));
        const auto answer = p->ReadFrame(30s);
        if (answer && rpc::DecodeResponse(*answer).ok) tally.Unexpected("a guessed token was let in");
        else if (answer) ++tally.answered;
      }
    });
  }
  for (auto& g : guessers) g.join();
}

}  // namespace

std::vector<Attack> AllAttacks() {
  std::vector<Attack> all{{"silent slots", Slots},
          {"trickle", Trickle},
          {"16 MiB frame before Connect", StrangersBigFrame},
          {"16 MiB frames begun after Connect", FriendsBigFrames},
          {"16 MiB array after Connect", HugeArray},
          {"empty-frame flood", EmptyFrameFlood},
          {"malformed requests", Malformed},
          {"token guesses", Guesses}};
  for (Attack& a : HttpAttacks()) all.push_back(std::move(a));
  return all;
}

}  // namespace hostile
