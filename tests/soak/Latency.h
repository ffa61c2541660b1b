#pragma once
// Latencies of calls by kind (the method called) and their summary table.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace soak {

struct KindFigures {
  std::vector<std::uint32_t> micros;  // of the answered calls
  std::uint64_t errors = 0;
};

class Latencies {
 public:
  void Add(const std::string& kind, std::uint32_t micros) { kinds_[kind].micros.push_back(micros); }
  void Error(const std::string& kind) { ++kinds_[kind].errors; }
  void Merge(const Latencies& other);

  std::uint64_t Calls() const;   // answered and failed
  std::uint64_t Calls(const std::string& kind) const;
  std::uint64_t Errors() const;

  // One line per kind: calls, calls/s over seconds, p50, p90, p99 and max in
  // milliseconds, errors; then the total.
  void Print(std::ostream& out, double seconds);

 private:
  std::map<std::string, KindFigures> kinds_;
};

// Nearest-rank percentile (0 < p <= 100) of sorted values, 0 when empty.
std::uint32_t Percentile(const std::vector<std::uint32_t>& sorted, double p);

}  // namespace soak
