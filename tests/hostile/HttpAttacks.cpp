// The hostile client's attacks over HTTP, on the same port as the frames.

#include <thread>

#include "Attacks.h"
#include "Peer.h"

namespace hostile {

namespace {

using namespace std::chrono_literals;

std::string Head(const std::string& token, const std::string& extra) {
  return "POST /rpc HTTP/1.1\r\nHost: ate\r\nContent-Type: application/json\r\nX-Ate-User: hostil\r\n"
         "Authorization: Bearer " + token + "\r\n" + extra;
}

// Sends what a connection is given and expects the server to answer
// `status` once and close.
void ExpectRefusal(Peer& p, const std::string& request, const std::string& status, Tally& tally) {
  p.Send(request);
  const auto got = p.ReadUntilClosed(20s);
  if (!got) return tally.Unexpected("still open after " + request.substr(0, 60));
  if (got->rfind("HTTP/1.1 " + status + " ", 0) != 0)
    return tally.Unexpected(request.substr(0, 60) + " -> " + got->substr(0, 80));
  if (got->find("HTTP/1.1", 1) != std::string::npos) return tally.Unexpected("two answers to " + request.substr(0, 60));
  ++tally.refusedOrClosed;
}

// A header line a second with the right token: the head never ends, and
// must be cut off within the time a request may take to arrive.
void SlowHead(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  while (!stop) {
    auto p = OpenCounted(LoopbackAddress(20, 0), t, tally);
    if (!p) continue;
    const auto opened = std::chrono::steady_clock::now();
    bool closed = !p->Send(Head(t.token, ""));
    for (int n = 0; !stop && !closed; ++n) closed = !p->Send("X-Slow-" + std::to_string(n) + ": 1\r\n") || p->Closed(1s);
    if (!closed) break;
    ++tally.refusedOrClosed;
    if (std::chrono::steady_clock::now() - opened > 36s) tally.Unexpected("a slow head lived over 36 s");
  }
}

// Heads past the limit, before and after a good token: 431.
void HugeHead(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  const std::string pad = "X-Pad: " + std::string(64 * 1024, 'a') + "\r\n";
  for (int n = 0; !stop; ++n) {
    auto p = OpenCounted(LoopbackAddress(21, 0), t, tally);
    if (p) ExpectRefusal(*p, Head(n % 2 ? t.token : "", pad) + "\r\n", "431", tally);
    std::this_thread::sleep_for(50ms);
  }
}

// A request hidden behind a body given both lengths: one 400, the hidden
// one never answered.
void Smuggling(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  const std::string hidden = Head(t.token, "Content-Length: 2\r\n\r\n") + "{}";
  const std::string request =
      Head(t.token, "Content-Length: " + std::to_string(5 + hidden.size()) + "\r\nTransfer-Encoding: chunked\r\n\r\n") +
      "0\r\n\r\n" + hidden;
  while (!stop) {
    auto p = OpenCounted(LoopbackAddress(22, 0), t, tally);
    if (p) ExpectRefusal(*p, request, "400", tally);
    std::this_thread::sleep_for(50ms);
  }
}

// Wrong bearer tokens, eight at a time from one address: 401, slowly.
void BearerGuesses(const Target& t, const std::atomic<bool>& stop, Tally& tally) {
  std::vector<std::thread> guessers;
  for (int g = 0; g < 8; ++g) {
    guessers.emplace_back([&, g] {
      for (long n = 0; !stop; ++n) {
        auto p = OpenCounted(LoopbackAddress(23, 0), t, tally);
        if (!p) continue;
        const std::string body = R"({"jsonrpc":"2.0","id":1,"method":"GetCompanhia","params":["","T","0001"]})";
        p->Send(Head("guess-" + std::to_string(g) + "-" + std::to_string(n),
                     "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n") + body);
        const auto got = p->ReadUntilClosed(30s);
        if (got && got->rfind("HTTP/1.1 401 ", 0) == 0) ++tally.answered;
        else if (got && got->rfind("HTTP/1.1 200 ", 0) == 0) tally.Unexpected("a guessed bearer token was let in");
      }
    });
  }
  for (auto& g : guessers) g.join();
}

}  // namespace

std::vector<Attack> HttpAttacks() {
  return {{"HTTP head that never ends", SlowHead},
          {"HTTP head over 16 KiB", HugeHead},
          {"HTTP smuggling (CL + TE)", Smuggling},
          {"HTTP bearer guesses", BearerGuesses}};
}

}  // namespace hostile
