#include "LoadGen.h"

#include <arpa/inet.h>

#include <algorithm>
#include <asio.hpp>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

#include "packet/JsonReader.h"
#include "rpc/Frame.h"

namespace loadgen {

namespace {

using Clock = std::chrono::steady_clock;
using asio::ip::tcp;

std::uint32_t MicrosSince(Clock::time_point t0) {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
  return static_cast<std::uint32_t>(std::clamp<long long>(us, 0, UINT32_MAX));
}

// What all connections share. Every handler runs on the one thread that
// runs the io_context, so nothing here needs a lock.
struct Shared {
  explicit Shared(const LoadOptions& o) : options(o) {}

  const LoadOptions& options;
  asio::io_context io{1};
  tcp::resolver::results_type endpoints;
  std::string where;  // "host:port", for messages
  int waitingHandshakes = 0;
  std::uint64_t claimed = 0;
  std::uint64_t errors = 0;
  std::string firstError;
  Clock::time_point start{}, end{}, lastAnswer{};
  std::function<void()> allReady;

  void Failed(const std::string& text) {
    ++errors;
    if (firstError.empty()) firstError = text;
  }
  // A claim on one more call, within the count bound.
  bool Claim() {
    if (options.maxCalls == 0) return true;
    return claimed++ < options.maxCalls;
  }
  void HandshakeDone() {
    if (--waitingHandshakes == 0) allReady();
  }
};

// One connection with one call in flight at a time, driven by completion
// handlers rather than a thread of its own: sixty-four blocked threads
// would compete with the server for the same cores.
class Connection {
 public:
  Connection(Shared& shared, int index)
      : shared_(shared), index_(index), socket_(shared.io), timer_(shared.io), decoder_(rpc::kMaxFrameSize), in_(64 * 1024) {}

  std::uint64_t calls = 0;
  std::vector<std::uint32_t> latencies;

  // Connects and shakes hands (not timed); tells the shared state either way.
  void Handshake() {
    Open([this](bool ok) {
      (void)ok;  // a failed one is retried by the first call
      shared_.HandshakeDone();
    }, "Connect: ");
  }

  // Calls until the time or the call count runs out.
  void Run() {
    latencies.reserve(1 << 16);
    NextCall();
  }

 private:
  using Done = std::function<void(bool ok)>;

  // Opens the socket and sends Connect; done(false) after recording the
  // failure (prefixed with prefix).
  void Open(Done done, std::string prefix) {
    Drop();
    asio::async_connect(socket_, shared_.endpoints,
                        [this, done = std::move(done), prefix = std::move(prefix)](std::error_code ec,
                                                                                   const tcp::endpoint&) mutable {
                          if (ec) {
                            Drop();
                            shared_.Failed(prefix + "cannot connect to " + shared_.where + ": " + ec.message());
                            return done(false);
                          }
                          std::error_code ignored;
                          // Without it every small request waits for the delayed ACK.
                          socket_.set_option(tcp::no_delay(true), ignored);
                          const LoadOptions& o = shared_.options;
                          nextId_ = 1;
                          Exchange("Connect",
                                   rpc::EncodeRequest(
                                       "1", "Connect",
                                       std::vector<std::pair<std::string, rpc::Param>>{
                                           {"server", rpc::Param::String(o.server)},
                                           {"user", rpc::Param::String(o.user)},
                                           {"token", rpc::Param::String(o.token)}}),
                                   "1", [this, done = std::move(done), prefix](const std::string* error) {
                                     if (error) {
                                       Drop();
                                       shared_.Failed(prefix + *error);
                                       return done(false);
                                     }
                                     open_ = true;
                                     done(true);
                                   });
                        });
  }

  void NextCall() {
    if (Clock::now() >= shared_.end || !shared_.Claim()) {
      shared_.lastAnswer = std::max(shared_.lastAnswer, Clock::now());
      Drop();
      return;
    }
    ++calls;
    const Clock::time_point t0 = Clock::now();
    if (!open_) {
      // The call includes reopening the connection, as a blocking client's would.
      Open([this, t0](bool ok) { ok ? Call(t0) : Pause(); }, {});
      return;
    }
    Call(t0);
  }

  void Call(Clock::time_point t0) {
    const LoadOptions& o = shared_.options;
    const std::string id = std::to_string(++nextId_);
    std::string request;
    try {
      request = o.paramsOf ? rpc::EncodeRequest(id, o.method, o.paramsOf(index_, calls))
                           : rpc::EncodeRequest(id, o.method, o.params);
    } catch (const std::exception& e) {
      shared_.Failed(e.what());
      return Later();
    }
    Exchange(o.method, request, id, [this, t0](const std::string* error) {
      if (!error) {
        latencies.push_back(MicrosSince(t0));
        return NextCall();
      }
      shared_.Failed(*error);
      open_ ? Later() : Pause();
    });
  }

  // The next call, from the event loop rather than deep in this stack.
  void Later() {
    asio::post(shared_.io, [this] { NextCall(); });
  }

  // A server that is gone must not turn the loop into a connect storm.
  void Pause() {
    timer_.expires_after(std::chrono::milliseconds(10));
    timer_.async_wait([this](std::error_code) { NextCall(); });
  }

  void Drop() {
    std::error_code ignored;
    socket_.close(ignored);
    open_ = false;
    decoder_ = rpc::FrameDecoder(rpc::kMaxFrameSize);
  }

  // Sends one request and reads its answer; then done(nullptr), or done with
  // the failure's text. A transport failure closes the connection; an error
  // answer leaves it open.
  void Exchange(std::string_view method, const std::string& request, std::string idJson,
                std::function<void(const std::string*)> done) {
    call_ = "call " + std::string(method) + " to " + shared_.where;
    idJson_ = std::move(idJson);
    done_ = std::move(done);
    out_.clear();
    try {
      rpc::AppendFrame(out_, request);
    } catch (const std::exception& e) {
      return Finish(e.what(), false);
    }
    answered_ = false;
    const std::uint64_t exchange = ++exchanges_;
    timer_.expires_after(shared_.options.callTimeout);
    timer_.async_wait([this, exchange](std::error_code ec) {
      // A wait that fired just as its answer came in must not cut the next call.
      if (ec || answered_ || exchange != exchanges_) return;
      timedOut_ = true;
      std::error_code ignored;
      socket_.cancel(ignored);
    });
    timedOut_ = false;
    asio::async_write(socket_, asio::buffer(out_), [this](std::error_code ec, std::size_t) {
      if (ec) return TransportFailed("cannot send: ", ec);
      Receive();
    });
  }

  void Receive() {
    std::optional<std::string> payload;
    try {
      payload = decoder_.Next();
    } catch (const rpc::FrameError& e) {
      return Finish(call_ + ": " + e.what(), true);
    }
    if (!payload) {
      socket_.async_read_some(asio::buffer(in_), [this](std::error_code ec, std::size_t n) {
        if (ec) {
          if (ec == asio::error::eof) return Finish(call_ + ": the server closed the connection", true);
          return TransportFailed("cannot receive: ", ec);
        }
        decoder_.Feed(std::string_view(in_.data(), n));
        Receive();
      });
      return;
    }
    rpc::Response r;
    try {
      r = rpc::DecodeResponse(*payload);
    } catch (const rpc::RpcError& e) {
      return Finish(call_ + ": " + e.what(), true);
    }
    // An error with id null is the server's answer to a request it could
    // not read; one request is in flight, so it is this one.
    if (r.idJson != idJson_ && !(r.idJson == "null" && !r.ok))
      return Finish(call_ + ": the answer has id " + r.idJson.substr(0, 40) + ", expected " + idJson_, true);
    // Bytes after the answer belong to no request: start afresh.
    const bool stray = decoder_.Buffered() != 0;
    if (!r.ok) return Finish(r.message, stray);
    Finish({}, stray, true);
  }

  void TransportFailed(const char* what, std::error_code ec) {
    if (timedOut_)
      Finish(call_ + ": no answer within " + std::to_string(shared_.options.callTimeout.count()) + " ms", true);
    else
      Finish(call_ + ": " + what + ec.message(), true);
  }

  void Finish(const std::string& error, bool drop, bool ok = false) {
    answered_ = true;
    timer_.cancel();
    if (drop) Drop();
    auto done = std::move(done_);
    done(ok ? nullptr : &error);
  }

  Shared& shared_;
  const int index_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  rpc::FrameDecoder decoder_;
  std::vector<char> in_;
  std::string out_;
  std::string call_, idJson_;
  std::function<void(const std::string*)> done_;
  std::uint64_t nextId_ = 1;
  std::uint64_t exchanges_ = 0;
  bool open_ = false, answered_ = true, timedOut_ = false;
};

}  // namespace

std::uint32_t LoadResult::Percentile(double p) const {
  if (latencyMicros.empty()) return 0;
  const auto n = latencyMicros.size();
  auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(n)));
  rank = std::clamp<std::size_t>(rank, 1, n);
  return latencyMicros[rank - 1];
}

LoadResult RunLoad(const LoadOptions& options) {
  if (options.connections < 1) throw std::invalid_argument("at least one connection is needed");
  if (options.method.empty()) throw std::invalid_argument("no method given");
  if (!(options.duration.count() > 0)) throw std::invalid_argument("the duration must be positive");

  Shared shared(options);
  {
    // Resolved once: every (re)connection uses the same addresses.
    tcp::resolver resolver(shared.io);
    std::error_code ec;
    shared.endpoints = resolver.resolve(options.host, std::to_string(options.port), ec);
    shared.where = (options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host) + ":" +
                   std::to_string(options.port);
    if (ec) throw std::invalid_argument("cannot resolve '" + options.host + "': " + ec.message());
  }
  std::vector<std::unique_ptr<Connection>> connections;
  connections.reserve(static_cast<std::size_t>(options.connections));
  for (int i = 0; i < options.connections; ++i) connections.push_back(std::make_unique<Connection>(shared, i));
  shared.waitingHandshakes = options.connections;
  // Every handshake done (or failed) before the clock starts.
  shared.allReady = [&] {
    shared.start = Clock::now();
    shared.end = shared.start + std::chrono::duration_cast<Clock::duration>(options.duration);
    for (auto& c : connections) c->Run();
  };
  for (auto& c : connections) c->Handshake();
  shared.io.run();

  LoadResult result;
  result.errors = shared.errors;
  result.firstError = shared.firstError;
  result.seconds = std::chrono::duration<double>(std::max(shared.lastAnswer, shared.start) - shared.start).count();
  std::size_t total = 0;
  for (const auto& c : connections) total += c->latencies.size();
  result.latencyMicros.reserve(total);
  for (auto& c : connections) {
    result.calls += c->calls;
    result.latencyMicros.insert(result.latencyMicros.end(), c->latencies.begin(), c->latencies.end());
  }
  std::sort(result.latencyMicros.begin(), result.latencyMicros.end());
  return result;
}

void PrintReport(std::ostream& out, const LoadOptions& o, const LoadResult& r) {
  char line[256];
  std::snprintf(line, sizeof line, "%s on %s:%u, %d connection%s, %.2f s\n", o.method.c_str(), o.host.c_str(),
                static_cast<unsigned>(o.port), o.connections, o.connections == 1 ? "" : "s", r.seconds);
  out << line;
  std::snprintf(line, sizeof line, "calls        %llu\ncalls/s      %.0f\n", static_cast<unsigned long long>(r.calls),
                r.CallsPerSecond());
  out << line;
  out << "errors       " << r.errors;
  if (r.errors) out << " (first: " << r.firstError << ")";
  out << "\n";
  std::snprintf(line, sizeof line, "latency us   p50 %u  p90 %u  p99 %u  max %u\n", r.Percentile(50),
                r.Percentile(90), r.Percentile(99), r.latencyMicros.empty() ? 0u : r.latencyMicros.back());
  out << line;
}

std::vector<rpc::Param> ParseParams(std::string_view jsonArray) {
  using Token = packet::JsonReader::Token;
  std::vector<rpc::Param> params;
  try {
    packet::JsonReader r(jsonArray);
    r.SetContext("--params");
    r.BeginArray();
    while (r.NextElement()) {
      switch (r.Peek()) {
        case Token::String: params.push_back(rpc::Param::String(r.ReadString())); break;
        case Token::Number: params.push_back(rpc::Param::Number(r.ReadNumber())); break;
        case Token::True:
        case Token::False: params.push_back(rpc::Param::Bool(r.ReadBool())); break;
        case Token::Null:
          r.ReadNull();
          params.push_back(rpc::Param::Null());
          break;
        default: params.push_back(rpc::Param::Json(std::string(r.SkipValue())));
      }
    }
    r.ExpectEnd();
  } catch (const packet::PacketError& e) {
    throw std::invalid_argument(std::string(e.what()) + " (a JSON array is expected)");
  }
  return params;
}

bool IsLoopback(const std::string& host) {
  if (host == "localhost") return true;
  in_addr v4{};
  if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (::inet_pton(AF_INET6, host.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

}  // namespace loadgen
