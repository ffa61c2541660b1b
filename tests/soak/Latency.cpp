#include "Latency.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace soak {

void Latencies::Merge(const Latencies& other) {
  for (const auto& [kind, f] : other.kinds_) {
    KindFigures& mine = kinds_[kind];
    mine.micros.insert(mine.micros.end(), f.micros.begin(), f.micros.end());
    mine.errors += f.errors;
  }
}

std::uint64_t Latencies::Calls() const {
  std::uint64_t n = 0;
  for (const auto& [kind, f] : kinds_) n += f.micros.size() + f.errors;
  return n;
}

std::uint64_t Latencies::Calls(const std::string& kind) const {
  const auto it = kinds_.find(kind);
  return it == kinds_.end() ? 0 : it->second.micros.size() + it->second.errors;
}

std::uint64_t Latencies::Errors() const {
  std::uint64_t n = 0;
  for (const auto& [kind, f] : kinds_) n += f.errors;
  return n;
}

std::uint32_t Percentile(const std::vector<std::uint32_t>& sorted, double p) {
  if (sorted.empty()) return 0;
  const auto n = sorted.size();
  const auto rank = std::clamp<std::size_t>(static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(n))), 1, n);
  return sorted[rank - 1];
}

void Latencies::Print(std::ostream& out, double seconds) {
  char line[200];
  const auto rate = [seconds](std::uint64_t n) { return seconds > 0 ? static_cast<double>(n) / seconds : 0.0; };
  const auto ms = [](std::uint32_t us) { return us / 1000.0; };
  std::snprintf(line, sizeof line, "  %-20s %9s %9s %8s %8s %8s %8s %7s\n", "call", "calls", "calls/s", "p50 ms",
                "p90 ms", "p99 ms", "max ms", "errors");
  out << line;
  std::vector<std::uint32_t> all;
  for (auto& [kind, f] : kinds_) {
    std::sort(f.micros.begin(), f.micros.end());
    all.insert(all.end(), f.micros.begin(), f.micros.end());
    const std::uint64_t calls = f.micros.size() + f.errors;
    std::snprintf(line, sizeof line, "  %-20s %9llu %9.1f %8.2f %8.2f %8.2f %8.2f %7llu\n", kind.c_str(),
                  static_cast<unsigned long long>(calls), rate(calls), ms(Percentile(f.micros, 50)),
                  ms(Percentile(f.micros, 90)), ms(Percentile(f.micros, 99)),
                  ms(f.micros.empty() ? 0 : f.micros.back()), static_cast<unsigned long long>(f.errors));
    out << line;
  }
  std::sort(all.begin(), all.end());
  std::snprintf(line, sizeof line, "  %-20s %9llu %9.1f %8.2f %8.2f %8.2f %8.2f %7llu\n", "all",
                static_cast<unsigned long long>(Calls()), rate(Calls()), ms(Percentile(all, 50)),
                ms(Percentile(all, 90)), ms(Percentile(all, 99)), ms(all.empty() ? 0 : all.back()),
                static_cast<unsigned long long>(Errors()));
  out << line;
}

}  // namespace soak
