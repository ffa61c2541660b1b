#pragma once
// The soak phase: many clients, each on its own connection and with one
// call in flight, going through the screen's rounds of reads and a save on
// a key of its own against one ate-appserver, for a fixed time.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "Latency.h"

namespace soak {

struct SoakOptions {
  double seconds = 60;
  int clients = 64;
  int serverThreads = 2;
};

struct SoakReport {
  double seconds = 0;  // from the first call to the last answer
  int clients = 0;
  Latencies calls;     // by method; a check that failed counts as an error of the call that read it
  std::uint64_t saves = 0;  // acknowledged
  std::uint64_t busy = 0;   // refused at the server's lock time-out (a stall of the disk, say): nothing stored
  std::vector<std::string> errors;  // the first few, in words
  std::string integrity;            // PRAGMA integrity_check after the server stopped
  std::uintmax_t fileBytes = 0, walBytes = 0;  // the database and its WAL at the end of the run
  std::vector<std::string> failures;  // final checks: the server's stop, the stored ranges
  std::vector<std::string> serverLog;  // the server's first warnings, which name the causes of errors

  // A refusal at the lock time-out is the server keeping its promise under
  // a stall; many of them are not.
  bool Sound() const {
    return calls.Errors() == 0 && busy * 1000 <= saves && failures.empty() && integrity == "ok";
  }
};

// Throws std::runtime_error when it cannot set up (the server does not
// start, no room in the data).
SoakReport RunSoakPhase(const SoakOptions& options, std::ostream& out);

void PrintSoakReport(std::ostream& out, SoakReport& report);

}  // namespace soak
