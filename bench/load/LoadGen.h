#pragma once
// Calls one method of an rpc server in a loop from many connections at once
// and reports throughput and latency.

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "rpc/Message.h"

namespace loadgen {

struct LoadOptions {
  std::string host = "127.0.0.1";
  std::uint16_t port = 0;
  std::string server = "Ate11600.rdmPropPass";
  std::string user = "load";
  std::string token;
  int connections = 64;
  std::chrono::duration<double> duration{10.0};  // bound on the run
  std::uint64_t maxCalls = 0;                    // bound on all calls together; 0: none
  std::string method;
  std::vector<rpc::Param> params;
  // When set, the arguments of each call instead of params: connection is
  // 0-based, call counts that connection's calls from 1 (saves of a key of
  // each connection's own, say).
  std::function<std::vector<rpc::Param>(int connection, std::uint64_t call)> paramsOf;
  std::chrono::milliseconds callTimeout{std::chrono::seconds(10)};
};

struct LoadResult {
  std::uint64_t calls = 0;   // answered and failed
  std::uint64_t errors = 0;  // failed calls and failed handshakes
  std::string firstError;
  double seconds = 0;         // from the first call to the last answer
  std::vector<std::uint32_t> latencyMicros;  // of the answered calls, sorted

  double CallsPerSecond() const { return seconds > 0 ? static_cast<double>(calls) / seconds : 0; }
  // Nearest-rank percentile (0 < p <= 100) of the latencies, 0 when none.
  std::uint32_t Percentile(double p) const;
};

// All connections driven from the calling thread, one call in flight on
// each: handshakes first (not timed), then calls until the time or the call
// count runs out. A failed call is counted and the loop goes on; after a
// lost connection the next call reconnects.
// Throws std::invalid_argument for options that cannot run.
LoadResult RunLoad(const LoadOptions& options);

void PrintReport(std::ostream& out, const LoadOptions& options, const LoadResult& result);

// A JSON array text as call arguments: strings, numbers, booleans, null,
// objects and arrays (kept as their text). Throws std::invalid_argument.
std::vector<rpc::Param> ParseParams(std::string_view jsonArray);

// Whether host is a loopback address: 127.0.0.0/8, ::1 or "localhost".
bool IsLoopback(const std::string& host);

}  // namespace loadgen
