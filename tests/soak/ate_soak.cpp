// ate-soak: the crash phase (SIGKILLs of the real ate-appserver during
// saves) and the soak phase (many clients for a fixed time) on loopback.
// Exit status 0 when both passed, 1 on any loss, error or failed check, 2
// for a bad command line or a set-up that failed, 3 on a hard time-out.

#include <CLI/CLI.hpp>

#include <iostream>
#include <random>

#include "CrashPhase.h"
#include "SoakPhase.h"
#include "Watchdog.h"

int main(int argc, char** argv) {
  CLI::App app{"Crash and soak tests of ate-appserver. Every option also reads the environment variable named."};
  soak::CrashOptions crash;
  soak::SoakOptions soakOptions;
  std::string phases = "both";
  crash.seed = std::random_device{}();
  app.add_option("--kills", crash.kills, "crash phase: SIGKILLs of the server")
      ->envname("SOAK_KILLS")
      ->capture_default_str()
      ->check(CLI::Range(1, 100000));
  app.add_option("--crash-clients", crash.clients, "crash phase: clients streaming saves")
      ->envname("SOAK_CRASH_CLIENTS")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  app.add_option("--seed", crash.seed, "crash phase: seed of the pauses before the kills (random when not given)")
      ->envname("SOAK_SEED");
  app.add_option("--max-pause", crash.maxPauseMillis, "crash phase: longest pause before a kill, ms")
      ->envname("SOAK_MAX_PAUSE_MS")
      ->capture_default_str()
      ->check(CLI::Range(1, 60000));
  app.add_option("--stop-every", crash.stopEvery, "crash phase: a round ending in SIGTERM after this many kills (0: none)")
      ->envname("SOAK_STOP_EVERY")
      ->capture_default_str()
      ->check(CLI::Range(0, 100000));
  app.add_option("--seconds", soakOptions.seconds, "soak phase: run time")
      ->envname("SOAK_SECONDS")
      ->capture_default_str()
      ->check(CLI::Range(0.1, 86400.0));
  app.add_option("--clients", soakOptions.clients, "soak phase: clients, one connection each")
      ->envname("SOAK_CLIENTS")
      ->capture_default_str()
      ->check(CLI::Range(1, 512));
  app.add_option("--server-threads", crash.serverThreads, "worker threads of the server")
      ->envname("SOAK_SERVER_THREADS")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  app.add_option("--phase", phases, "crash, soak or both")
      ->envname("SOAK_PHASE")
      ->capture_default_str()
      ->check(CLI::IsMember({"crash", "soak", "both"}));
  CLI11_PARSE(app, argc, argv);
  soakOptions.serverThreads = crash.serverThreads;

  bool sound = true;
  try {
    if (phases != "soak") {
      std::cout << "crash phase: " << crash.kills << " kills, " << crash.clients << " clients, seed " << crash.seed
                << " (SOAK_SEED=" << crash.seed << " replays the pauses)" << std::endl;
      // Generous: a kill round takes a start, a pause and a join, well under a second.
      soak::Watchdog watchdog(std::chrono::seconds(120 + 3 * crash.kills), "the crash phase");
      const soak::CrashReport report = soak::RunCrashPhase(crash, std::cout);
      soak::PrintCrashReport(std::cout, report);
      sound = sound && report.Sound();
    }
    if (phases != "crash") {
      std::cout << "soak phase: " << soakOptions.clients << " clients, " << soakOptions.seconds << " s" << std::endl;
      soak::Watchdog watchdog(std::chrono::seconds(120 + static_cast<long long>(soakOptions.seconds)),
                              "the soak phase");
      soak::SoakReport report = soak::RunSoakPhase(soakOptions, std::cout);
      soak::PrintSoakReport(std::cout, report);
      sound = sound && report.Sound();
    }
  } catch (const std::exception& e) {
    std::cerr << "ate-soak: " << e.what() << "\n";
    return 2;
  }
  std::cout << (sound ? "ate-soak: ok" : "ate-soak: FAIL") << std::endl;
  return sound ? 0 : 1;
}
