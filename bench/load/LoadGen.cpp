#include "LoadGen.h"

#include <arpa/inet.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <latch>
#include <mutex>
#include <ostream>
#include <thread>

#include "packet/JsonReader.h"
#include "rpc/Client.h"

namespace loadgen {

namespace {

using Clock = std::chrono::steady_clock;

// What all connection threads share.
struct Shared {
  explicit Shared(const LoadOptions& o) : options(o), ready(o.connections) {}

  const LoadOptions& options;
  std::latch ready;
  std::atomic<std::uint64_t> claimed{0};
  std::atomic<std::uint64_t> errors{0};
  Clock::time_point start{}, end{};
  std::mutex mutex;
  std::string firstError;
  Clock::time_point lastAnswer{};

  void Failed(const std::string& text) {
    errors.fetch_add(1, std::memory_order_relaxed);
    std::lock_guard lock(mutex);
    if (firstError.empty()) firstError = text;
  }
  // A claim on one more call, within the count bound.
  bool Claim() {
    if (options.maxCalls == 0) return true;
    return claimed.fetch_add(1, std::memory_order_relaxed) < options.maxCalls;
  }
};

struct ThreadResult {
  std::uint64_t calls = 0;
  std::vector<std::uint32_t> latencies;
};

void RunConnection(Shared& shared, ThreadResult& out, std::latch& go) {
  const LoadOptions& o = shared.options;
  rpc::ClientOptions co;
  co.callTimeout = o.callTimeout;
  rpc::Client client(o.host, o.port, co);
  try {
    client.Connect(o.server, o.user, o.token);
  } catch (const std::exception& e) {
    shared.Failed(std::string("Connect: ") + e.what());  // the loop retries through Call
  }
  shared.ready.count_down();
  go.wait();
  out.latencies.reserve(1 << 16);
  while (Clock::now() < shared.end && shared.Claim()) {
    const Clock::time_point t0 = Clock::now();
    try {
      client.Call(o.method, o.params);
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
      out.latencies.push_back(static_cast<std::uint32_t>(std::min<long long>(us, UINT32_MAX)));
    } catch (const rpc::TransportError& e) {
      shared.Failed(e.what());
      // A server that is gone must not turn the loop into a connect storm.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } catch (const std::exception& e) {
      shared.Failed(e.what());
    }
    ++out.calls;
  }
  std::lock_guard lock(shared.mutex);
  shared.lastAnswer = std::max(shared.lastAnswer, Clock::now());
}

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
  std::latch go(1);
  std::vector<ThreadResult> results(static_cast<std::size_t>(options.connections));
  std::vector<std::thread> threads;
  threads.reserve(results.size());
  for (auto& r : results) threads.emplace_back([&shared, &r, &go] { RunConnection(shared, r, go); });
  shared.ready.wait();  // every handshake done (or failed) before the clock starts
  shared.start = Clock::now();
  shared.end = shared.start + std::chrono::duration_cast<Clock::duration>(options.duration);
  go.count_down();
  for (auto& t : threads) t.join();

  LoadResult result;
  result.errors = shared.errors;
  result.firstError = shared.firstError;
  result.seconds = std::chrono::duration<double>(std::max(shared.lastAnswer, shared.start) - shared.start).count();
  std::size_t total = 0;
  for (const auto& r : results) total += r.latencies.size();
  result.latencyMicros.reserve(total);
  for (auto& r : results) {
    result.calls += r.calls;
    result.latencyMicros.insert(result.latencyMicros.end(), r.latencies.begin(), r.latencies.end());
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
