#pragma once
// The crash phase: clients streaming saves to the real ate-appserver on a
// SQLite file, the server killed with SIGKILL at random moments and started
// again on the same file, and what was stored judged against what was
// acknowledged.

#include <iosfwd>
#include <string>
#include <vector>

#include "Ledger.h"

namespace soak {

struct CrashOptions {
  int kills = 200;
  int clients = 4;
  unsigned seed = 0;         // of the pauses before each kill
  int maxPauseMillis = 150;  // pauses are drawn from 1 ms to this
  int serverThreads = 2;
  int stopEvery = 10;        // after this many kills, one round ends with SIGTERM (0: never)
};

struct CrashReport {
  int kills = 0;
  int stops = 0;          // rounds ended with SIGTERM, which must exit cleanly
  int restarts = 0;       // starts on the file a kill left behind
  Tally tally;            // the final judgement of every client's saves
  std::string integrity;  // PRAGMA integrity_check at the end
  std::vector<std::string> failures;  // faults seen during the run

  bool Sound() const { return failures.empty() && tally.Sound() && integrity == "ok"; }
};

// Runs the phase in a folder of its own and prints progress to out.
// Throws std::runtime_error when it cannot set up (no room in the data).
CrashReport RunCrashPhase(const CrashOptions& options, std::ostream& out);

void PrintCrashReport(std::ostream& out, const CrashReport& report);

}  // namespace soak
