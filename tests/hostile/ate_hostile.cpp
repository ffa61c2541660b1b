// ate-hostile: a hostile client against the real ate-appserver on loopback.
// Runs every attack at once for a while, with a good client calling all
// along, then reports the good client's latency (quiet and under attack),
// the server's peak memory and log size, and what each attack achieved.
// Exit status 0 when the server held, 1 when it did not, 2 when the run
// itself could not be set up.

#include <CLI/CLI.hpp>
#include <sys/resource.h>

#include <fstream>
#include <iomanip>
#include <iostream>
#include <thread>

#include "Attacks.h"
#include "Latency.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::vector<rpc::Param> kCompanhiaArgs = [] {
  std::vector<rpc::Param> p;
  for (const char* s : {"", "T", "0001", "", "T", "", "T"}) p.push_back(rpc::Param::String(s));
  return p;
}();

// Calls GetCompanhia every 20 ms from 127.0.0.1, a new connection every 50
// calls, until stop; a refused connection or failed call is an error.
soak::Latencies GoodClient(std::uint16_t port, const std::string& token, const std::atomic<bool>& stop) {
  soak::Latencies latencies;
  while (!stop) {
    try {
      const auto start = Clock::now();
      rpc::Client client("127.0.0.1", port);
      client.Connect("Ate11600.rdmPropPass", "bom", token);
      latencies.Add("Connect", static_cast<std::uint32_t>((Clock::now() - start) / 1us));
      for (int i = 0; i < 50 && !stop; ++i) {
        const auto callStart = Clock::now();
        client.Call("GetCompanhia", kCompanhiaArgs);
        latencies.Add("GetCompanhia", static_cast<std::uint32_t>((Clock::now() - callStart) / 1us));
        std::this_thread::sleep_for(20ms);
      }
    } catch (const std::exception& e) {
      latencies.Error("GetCompanhia");
      std::cerr << "good client: " << e.what() << "\n";
      std::this_thread::sleep_for(100ms);
    }
  }
  return latencies;
}

soak::Latencies Quietly(std::uint16_t port, const std::string& token, std::chrono::seconds length) {
  std::atomic<bool> stop{false};
  std::thread timer([&] {
    std::this_thread::sleep_for(length);
    stop = true;
  });
  soak::Latencies l = GoodClient(port, token, stop);
  timer.join();
  return l;
}

// The server's peak resident memory (VmHWM) in KiB, 0 when unreadable.
long PeakRssKib(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

long LinesOf(const std::filesystem::path& file) {
  std::ifstream in(file);
  long n = 0;
  for (std::string line; std::getline(in, line);) ++n;
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Hostile-client run against ate-appserver on loopback."};
  hostile::Target target;
  target.token = "hostil-teste";
  int seconds = 20;
  long maxRssMib = 1024;
  long maxLogLines = 0;
  app.add_option("--connections", target.connections, "silent connections the slot attack tries to hold")
      ->capture_default_str()
      ->check(CLI::Range(1, 8000));
  app.add_option("--seconds", seconds, "length of the attack")->capture_default_str()->check(CLI::Range(1, 3600));
  app.add_option("--max-rss", maxRssMib, "MiB of server memory (peak) that fails the run")->capture_default_str();
  app.add_option("--max-log-lines", maxLogLines, "server log lines that fail the run (0: 600 + 100 a minute)");
  CLI11_PARSE(app, argc, argv);
  if (maxLogLines == 0) maxLogLines = 600 + 100 * (seconds / 60 + 1);

  // Every attack holds many sockets, and so does the server it starts.
  rlimit files{};
  ::getrlimit(RLIMIT_NOFILE, &files);
  files.rlim_cur = files.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &files);

  try {
    appserver_it::TempDir dir;
    const std::filesystem::path log = dir.Path() / "server.log";
    appserver_it::ServerProcess server({"--db", "sqlite:" + (dir.Path() / "ate.db").string(), "--init-db", "--demo",
                                        "--listen", "127.0.0.1:0", "--token", target.token,
                                        // Room for the attacks besides the silent ones, and the good client.
                                        "--max-connections", std::to_string(target.connections + 400)},
                                       log);
    target.port = server.Port();
    std::cout << "ate-hostile: server on port " << target.port << ", " << seconds << " s of attack, "
              << target.connections << " silent connections tried" << std::endl;
    soak::Latencies quiet = Quietly(target.port, target.token, 3s);

    const std::vector<hostile::Attack> attacks = hostile::AllAttacks();
    std::vector<hostile::Tally> tallies(attacks.size());  // not movable: sized once
    std::atomic<bool> stop{false};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < attacks.size(); ++i) {
      tallies[i].name = attacks[i].name;
      threads.emplace_back([&, i] { attacks[i].run(target, stop, tallies[i]); });
    }
    std::this_thread::sleep_for(2s);  // the attacks in full swing first
    std::thread timer([&] {
      std::this_thread::sleep_for(std::chrono::seconds(seconds));
      stop = true;
    });
    soak::Latencies attacked = GoodClient(target.port, target.token, stop);
    timer.join();
    for (auto& t : threads) t.join();
    const long rssKib = PeakRssKib(server.Pid());
    const bool alive = Quietly(target.port, target.token, 1s).Errors() == 0;
    server.Stop();
    const long logLines = LinesOf(log);

    std::cout << "good client, quiet:\n";
    quiet.Print(std::cout, 3);
    std::cout << "good client, under attack:\n";
    attacked.Print(std::cout, seconds);
    std::cout << std::left << std::setw(36) << "attack" << std::right << std::setw(10) << "tries" << std::setw(12)
              << "ended" << std::setw(10) << "answered" << std::setw(12) << "unexpected" << "\n";
    long unexpected = 0;
    for (hostile::Tally& t : tallies) {
      std::cout << std::left << std::setw(36) << t.name << std::right << std::setw(10) << t.tries << std::setw(12)
                << t.refusedOrClosed << std::setw(10) << t.answered << std::setw(12) << t.unexpected << "\n";
      if (t.unexpected > 0) std::cout << "    first unexpected: " << t.First() << "\n";
      unexpected += t.unexpected;
    }
    std::cout << "token guesses answered: " << std::fixed << std::setprecision(1)
              << static_cast<double>(tallies.back().answered) / seconds << " a second\n";
    std::cout << "server peak RSS: " << rssKib / 1024 << " MiB (limit " << maxRssMib << ")\n";
    std::cout << "server log: " << logLines << " lines (limit " << maxLogLines << ")\n";
    const bool held = alive && attacked.Errors() == 0 && unexpected == 0 && rssKib / 1024 < maxRssMib &&
                      logLines <= maxLogLines;
    std::cout << "ate-hostile: " << (held ? "the server held" : "THE SERVER DID NOT HOLD") << std::endl;
    return held ? 0 : 1;
  } catch (const std::exception& e) {
    std::cerr << "ate-hostile: " << e.what() << "\n";
    return 2;
  }
}
