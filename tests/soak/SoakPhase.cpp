#include "SoakPhase.h"

#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <latch>
#include <mutex>
#include <optional>
#include <ostream>
#include <thread>

#include "MessageList.h"
#include "KeyCycle.h"
#include "Keys.h"
#include "RangeQuery.h"
#include "appserver/db/DbSession.h"
#include "packet/DataPacket.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace soak {

namespace {

using Clock = std::chrono::steady_clock;
using P = rpc::Param;

// The number in the first row of a one-row answer, nullopt for null or no row.
std::optional<double> FirstNumber(const rpc::Reply& reply, const char* field) {
  const packet::DataPacket p = packet::DecodePacket(reply.resultJson);
  const int at = p.FieldIndex(field);
  if (at < 0) throw std::runtime_error(std::string("the answer lacks ") + field);
  if (p.rows.empty() || !std::holds_alternative<double>(p.rows[0][at])) return std::nullopt;
  return std::get<double>(p.rows[0][at]);
}

class SoakClient {
 public:
  SoakClient(LegService key, std::string user, std::uint16_t port, MessageList& errors)
      : key_(std::move(key)), user_(std::move(user)), rpc_("127.0.0.1", port, Options()), errors_(errors) {}

  Latencies calls;
  std::uint64_t saves = 0;
  std::optional<int> expected = 0;  // the key's state after the last acknowledged save; unknown after a failed one
  int logRows = 0;                  // log rows its acknowledged saves wrote
  bool logKnown = true;             // false once a save failed: it may or may not have been stored
  std::uint64_t busy = 0;           // saves refused at the lock time-out
  Clock::time_point lastAnswer{};

  const LegService& Key() const { return key_; }
  const std::string& User() const { return user_; }

  bool Connect() {
    try {
      rpc_.Connect("Ate11600.rdmPropPass", user_, "");
      return true;
    } catch (const std::exception& e) {
      Failed("Connect", e.what());
      return false;
    }
  }

  void Run(Clock::time_point end) {
    while (Clock::now() < end && Round()) {
    }
    lastAnswer = Clock::now();
  }

 private:
  static rpc::ClientOptions Options() {
    rpc::ClientOptions o;
    o.callTimeout = std::chrono::seconds(10);
    return o;
  }

  void Failed(const std::string& kind, const std::string& what) {
    calls.Error(kind);
    errors_.Add(user_ + " " + kind + ": " + what);
  }

  // One call, timed; nullopt (counted and noted) when it failed. A save
  // refused because the database stayed locked past the server's lock
  // time-out stored nothing, as promised: it is counted apart (busy_).
  std::optional<rpc::Reply> Timed(const std::string& method, const std::vector<P>& params) {
    const Clock::time_point t0 = Clock::now();
    refusedBusy_ = false;
    try {
      rpc::Reply reply = rpc_.Call(method, params);
      const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
      calls.Add(method, static_cast<std::uint32_t>(std::min<long long>(us, UINT32_MAX)));
      return reply;
    } catch (const rpc::RpcError& e) {
      refusedBusy_ = method == "SetQtdePropServico" && e.Code() == rpc::kStorageBusy;
      if (refusedBusy_)
        ++busy;
      else
        Failed(method, e.what());
      return std::nullopt;
    } catch (const std::exception& e) {
      Failed(method, e.what());
      return std::nullopt;
    }
  }

  // A read's answer that disagrees with the acknowledged saves: an error of that call.
  void Disagrees(const std::string& method, const std::string& what) {
    calls.Error(method);
    errors_.Add(user_ + " " + method + " on " + key_.Name() + ": " + what);
  }

  void CheckNumber(const std::string& method, const std::optional<rpc::Reply>& reply, const char* field,
                   std::optional<double> want) {
    if (!reply || !expected) return;
    try {
      const std::optional<double> got = FirstNumber(*reply, field);
      if (got != want)
        Disagrees(method, std::string(field) + " is " + (got ? std::to_string(*got) : "null") + ", expected " +
                              (want ? std::to_string(*want) : "null"));
    } catch (const std::exception& e) {
      Disagrees(method, e.what());
    }
  }

  // The screen's calls around one save: the leg, its services, the ranges
  // of the service, the checks of a new range, the save. False when the
  // key is in a state no save of this client leaves it in.
  bool Round() {
    const LegService& k = key_;
    Timed("GetCompanhia", {P::String(k.sgcia), P::String(""), P::String(k.filial), P::String(k.voo), P::String(""),
                           P::String(k.trecho), P::String("")});
    Timed("GetPropServico", {P::String(k.filial), P::String(k.cia), P::String(k.voo), P::String(k.trecho)});
    const std::optional<rpc::Reply> ranges = Timed("GetQtdePropServico", RangesQuery(k));
    if (!ranges) return true;
    std::vector<Range> stored;
    try {
      stored = RangesOf(*ranges);
    } catch (const std::exception& e) {
      Disagrees("GetQtdePropServico", e.what());
      return false;
    }
    const int state = StateOf(stored);
    if (state == kUnknownState || (expected && state != *expected)) {
      Disagrees("GetQtdePropServico", "holds" + RangesText(stored) + " after the acknowledged saves");
      return false;
    }
    expected = state;
    Timed("GetValidaServ", {P::String(k.servico), P::String(k.filial), P::String(k.cia), P::String(k.voo),
                            P::String(k.trecho)});
    CheckNumber("GetMaiorPax",
                Timed("GetMaiorPax", {P::String(k.filial), P::String(k.cia), P::String(k.servico), P::String(k.voo),
                                      P::String(k.trecho)}),
                "MAXPAX", state == 0 ? std::nullopt : std::optional<double>(9999));
    const std::vector<P> probe{P::String(k.filial), P::String(k.cia), P::String(k.servico), P::Number(1),
                               P::Number(100),      P::String(k.voo), P::String(k.trecho)};
    Timed("GetTestaPropSe", probe);
    CheckNumber("GetFindProp", Timed("GetFindProp", probe), "CONT", state == 0 ? 0.0 : 1.0);
    const Step step = StepFrom(state);
    if (Timed("SetQtdePropServico", {P::Json(ChangeLogJson(k, step.changes))})) {
      ++saves;
      expected = step.next;
      logRows += static_cast<int>(step.changes.size());
    } else if (!refusedBusy_) {
      expected.reset();
      logKnown = false;
    }
    return true;
  }

  LegService key_;
  bool refusedBusy_ = false;
  std::string user_;
  rpc::Client rpc_;
  MessageList& errors_;
};

std::string IntegrityCheck(soci::session& s) {
  std::string answer;
  s << "PRAGMA integrity_check", soci::into(answer);
  return answer;
}

// What the file holds for each client against what its saves left.
void CheckStored(soci::session& s, const std::vector<std::unique_ptr<SoakClient>>& clients,
                 std::vector<std::string>& failures) {
  for (const auto& c : clients) {
    const LegService& k = c->Key();
    std::vector<Range> stored;
    soci::rowset<soci::row> rows =
        (s.prepare << "SELECT QTPAXDE, QTPAXATE, QTSERVICO FROM PROPSERVICO WHERE CDFILIAL = :f AND CDCIA = :c AND "
                      "NRVOO = :v AND CDTRECHO = :t AND CDSERVICO = :s ORDER BY QTPAXDE",
         soci::use(k.filial), soci::use(k.cia), soci::use(k.voo), soci::use(k.trecho), soci::use(k.servico));
    for (const soci::row& r : rows) stored.push_back({r.get<double>(0), r.get<double>(1), r.get<double>(2)});
    const int state = StateOf(stored);
    if (state == kUnknownState || (c->expected && state != *c->expected))
      failures.push_back(c->User() + ": " + k.Name() + " holds" + RangesText(stored) + " after its saves");
    int logs = 0;
    s << "SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = :u", soci::use(c->User()), soci::into(logs);
    if (c->logKnown && logs != c->logRows)
      failures.push_back(c->User() + ": " + std::to_string(logs) + " log rows, its saves wrote " +
                         std::to_string(c->logRows));
  }
}

// The first `most` lines of a file.
std::vector<std::string> LinesOf(const std::filesystem::path& file, std::size_t most) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; lines.size() < most && std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

SoakReport RunSoakPhase(const SoakOptions& o, std::ostream& out) {
  appserver_it::TempDir dir;
  const std::string url = "sqlite:" + (dir.Path() / "ate.db").string();
  // Warnings kept: a storage failure's cause is logged under the reference
  // its caller was given.
  const std::filesystem::path serverLog = dir.Path() / "server.log";
  appserver_it::ServerProcess server({"--db", url, "--listen", "127.0.0.1:0", "--threads",
                                      std::to_string(o.serverThreads), "--init-db", "--demo", "--log-level",
                                      "warn",
                                      // Every client comes from loopback, and a few clients
                                      // call faster than the guard against floods allows.
                                      "--max-connections-per-peer", "0", "--max-rate", "0"},
                                     serverLog);
  const std::vector<LegService> keys = FreeLegServices(url, static_cast<std::size_t>(o.clients));
  MessageList errors(10);  // the first few tell what went wrong
  std::vector<std::unique_ptr<SoakClient>> clients;
  for (int i = 0; i < o.clients; ++i)
    clients.push_back(std::make_unique<SoakClient>(keys[i], "soak-" + std::to_string(i), server.Port(), errors));

  // Every client connected before the clock starts.
  std::latch connected(o.clients), go(1);
  Clock::time_point start, end;
  std::vector<std::thread> threads;
  for (auto& c : clients) {
    threads.emplace_back([&, client = c.get()] {
      const bool ok = client->Connect();
      connected.count_down();
      go.wait();
      if (ok) client->Run(end);
    });
  }
  connected.wait();
  start = Clock::now();
  end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(o.seconds));
  out << "  " << o.clients << " clients connected, running " << o.seconds << " s" << std::endl;
  go.count_down();
  for (std::thread& t : threads) t.join();

  SoakReport report;
  report.clients = o.clients;
  Clock::time_point last = start;
  for (const auto& c : clients) {
    report.calls.Merge(c->calls);
    report.saves += c->saves;
    report.busy += c->busy;
    last = std::max(last, c->lastAnswer);
  }
  report.seconds = std::chrono::duration<double>(last - start).count();
  report.errors = errors.Take();
  report.serverLog = LinesOf(serverLog, 10);
  // Readers that never pause can keep checkpoints from resetting the WAL.
  const auto bytes = [&dir](const char* name) {
    std::error_code missing;  // no WAL file: nothing to report
    const std::uintmax_t n = std::filesystem::file_size(dir.Path() / name, missing);
    return missing ? 0 : n;
  };
  report.fileBytes = bytes("ate.db");
  report.walBytes = bytes("ate.db-wal");
  const int status = server.Stop();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    report.failures.push_back("the server did not stop cleanly (status " + std::to_string(status) + ")");
  const auto session = dbsession::Open(dbsession::ParseUrl(url));
  report.integrity = IntegrityCheck(*session);
  CheckStored(*session, clients, report.failures);
  return report;
}

void PrintSoakReport(std::ostream& out, SoakReport& r) {
  char line[160];
  std::snprintf(line, sizeof line, "soak phase: %d clients, %.1f s, %.1f calls/s, %.1f saves/s\n", r.clients,
                r.seconds, r.seconds > 0 ? static_cast<double>(r.calls.Calls()) / r.seconds : 0.0,
                r.seconds > 0 ? static_cast<double>(r.saves) / r.seconds : 0.0);
  out << line;
  r.calls.Print(out, r.seconds);
  std::snprintf(line, sizeof line, "  file at the end           %.1f MB, WAL %.1f MB\n", r.fileBytes / 1e6,
                r.walBytes / 1e6);
  out << line;
  out << "  saves refused busy        " << r.busy << " (lock time-out, nothing stored; at most one in 1000 passes)\n"
      << "  errors                    " << r.calls.Errors() << "\n"
      << "  integrity_check           " << r.integrity << "\n";
  for (const std::string& e : r.errors) out << "  error: " << e << "\n";
  for (const std::string& f : r.failures) out << "  failure: " << f << "\n";
  for (const std::string& l : r.serverLog) out << "  server: " << l << "\n";
  out << "  verdict                   " << (r.Sound() ? "ok" : "FAIL") << "\n";
}

}  // namespace soak
