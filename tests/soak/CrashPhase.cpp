#include "CrashPhase.h"

#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <ostream>
#include <random>
#include <thread>

#include "MessageList.h"
#include "Keys.h"
#include "RangeQuery.h"
#include "appserver/db/DbSession.h"
#include "rpc/Client.h"
#include "server_process.h"

namespace soak {

namespace {

struct Client {
  ClientLedger ledger;
  int lastAcked = -1;   // the last acknowledged save, checked after the next start
  int lastSent = -1;    // the save in flight at the last kill, if it was not acknowledged
};

// The ranges of save n that the server now holds (0 to 3).
int StoredRangesOf(rpc::Client& rpc, const ClientLedger& c, int n) {
  const SaveSlot slot = SlotOf(n);
  int found = 0;
  for (const Range& r : RangesOf(rpc.Call("GetQtdePropServico", RangesQuery(c.keys.at(slot.key)))))
    if (r.from >= slot.firstPax && r.from < slot.firstPax + 3) ++found;
  return found;
}

// After a start: the last acknowledged save is there, and the one that was
// in flight is there wholly or not at all.
void CheckAfterStart(rpc::Client& rpc, Client& c, int round, MessageList& failures) {
  const std::string where = c.ledger.user + " after start " + std::to_string(round) + ": save ";
  if (c.lastAcked >= 0) {
    if (const int n = StoredRangesOf(rpc, c.ledger, c.lastAcked); n != 3)
      failures.Add(where + std::to_string(c.lastAcked) + " acknowledged but " + std::to_string(n) + " of 3 rows there");
  }
  if (c.lastSent > c.lastAcked) {
    if (const int n = StoredRangesOf(rpc, c.ledger, c.lastSent); n != 0 && n != 3)
      failures.Add(where + std::to_string(c.lastSent) + " half applied: " + std::to_string(n) + " of 3 rows");
  }
}

// One client's round: connect, check what the last start should have kept,
// then (when stream) save one after another until the server goes away. A
// transport failure before the server is ended, or any error answer, is a fault.
void RunClient(std::uint16_t port, Client& c, int round, bool stream, const std::atomic<bool>& ending,
               MessageList& failures) {
  rpc::ClientOptions options;
  options.callTimeout = std::chrono::seconds(10);
  rpc::Client rpc("127.0.0.1", port, options);
  const int limit = static_cast<int>(c.ledger.keys.size()) * kSavesPerKey;
  try {
    rpc.Connect("Ate11600.rdmPropPass", c.ledger.user, "");
    CheckAfterStart(rpc, c, round, failures);
    while (stream && static_cast<int>(c.ledger.saves.size()) < limit) {
      const int n = static_cast<int>(c.ledger.saves.size());
      const std::string log = SaveLogJson(c.ledger.keys, n);
      c.ledger.saves.push_back(Outcome::InFlight);
      c.lastSent = n;
      rpc.Call("SetQtdePropServico", {rpc::Param::Json(log)});
      c.ledger.saves.back() = Outcome::Acked;
      c.lastAcked = n;
    }
  } catch (const rpc::TransportError& e) {
    if (!ending) failures.Add(c.ledger.user + ": connection failed before the kill or stop: " + e.what());
  } catch (const std::exception& e) {
    failures.Add(c.ledger.user + ": " + e.what());
  }
}

std::string Pragma(const std::string& url, const char* pragma) {
  const auto session = dbsession::Open(dbsession::ParseUrl(url));
  std::string answer;
  *session << (std::string("PRAGMA ") + pragma), soci::into(answer);
  return answer;
}

// The stored rows on the client's keys and the log rows under its name.
Stored ReadStored(soci::session& s, const ClientLedger& c) {
  Stored stored;
  for (const LegService& k : c.keys) {
    soci::rowset<double> rows =
        (s.prepare << "SELECT QTPAXDE FROM PROPSERVICO WHERE CDFILIAL = :f AND CDCIA = :c AND NRVOO = :v AND "
                      "CDTRECHO = :t AND CDSERVICO = :s",
         soci::use(k.filial), soci::use(k.cia), soci::use(k.voo), soci::use(k.trecho), soci::use(k.servico));
    for (double pax : rows) ++stored.rows[PaxKey(k, pax)];
  }
  soci::rowset<soci::row> logs =
      (s.prepare << "SELECT IDLOG, IDOPERACAO, CDFILIAL_NEW, CDCIA_NEW, NRVOO_NEW, CDTRECHO_NEW, CDSERVICO_NEW, "
                    "QTPAXDE_NEW, QTPAXATE_NEW FROM PROPSERVICO_LOG WHERE NMUSUARIO = :u",
       soci::use(c.user));
  for (const soci::row& r : logs) {
    const bool insert = r.get<std::string>(1) == "I" && r.get_indicator(7) == soci::i_ok &&
                        r.get<double>(7) == r.get<double>(8);
    if (!insert) {
      ++stored.logs["?" + std::to_string(r.get<long long>(0))];
      continue;
    }
    const LegService k{r.get<std::string>(2), r.get<std::string>(3), "", r.get<std::string>(4),
                       r.get<std::string>(5), r.get<std::string>(6)};
    ++stored.logs[PaxKey(k, r.get<double>(7))];
  }
  return stored;
}

bool KilledBySigkill(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL; }

}  // namespace

CrashReport RunCrashPhase(const CrashOptions& o, std::ostream& out) {
  appserver_it::TempDir dir;
  const std::string url = "sqlite:" + (dir.Path() / "ate.db").string();
  const std::vector<std::string> args{"--db",      url,      "--listen",    "127.0.0.1:0", "--threads",
                                      std::to_string(o.serverThreads), "--init-db", "--demo", "--log-level", "error"};
  CrashReport report;
  MessageList failures;
  std::vector<Client> clients(static_cast<std::size_t>(o.clients));
  {
    appserver_it::ServerProcess first(args);  // creates the schema and the demo
    const std::vector<LegService> keys = FreeLegServices(url, clients.size());
    for (std::size_t i = 0; i < keys.size(); ++i) clients[i % clients.size()].ledger.keys.push_back(keys[i]);
    for (std::size_t c = 0; c < clients.size(); ++c) clients[c].ledger.user = "crash-" + std::to_string(c);
    first.Stop();
  }
  std::mt19937 random(o.seed);
  std::uniform_int_distribution<int> pause(1, o.maxPauseMillis);
  // Every tenth kill is followed by a round that ends with SIGTERM instead:
  // a stop in the middle of saves must neither hang nor lose one.
  for (int round = 0; report.kills < o.kills && report.failures.empty(); ++round) {
    const bool stop = o.stopEvery > 0 && round % (o.stopEvery + 1) == o.stopEvery;
    try {
      appserver_it::ServerProcess server(args);
      if (round > 0) {
        ++report.restarts;
        if (const std::string check = Pragma(url, "quick_check"); check != "ok")
          failures.Add("quick_check after start " + std::to_string(round) + ": " + check);
      }
      std::atomic<bool> ending{false};
      std::vector<std::thread> threads;
      for (Client& c : clients)
        threads.emplace_back(RunClient, server.Port(), std::ref(c), round, true, std::cref(ending),
                             std::ref(failures));
      std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
      ending = true;
      const int status = stop ? server.Stop() : server.Kill();
      for (std::thread& t : threads) t.join();
      if (stop) {
        ++report.stops;
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
          failures.Add("SIGTERM in round " + std::to_string(round) + ": status " + std::to_string(status));
      } else {
        ++report.kills;
        if (!KilledBySigkill(status))
          failures.Add("the server had ended by itself before kill " + std::to_string(report.kills) + " (status " +
                       std::to_string(status) + ")");
        if (report.kills % 25 == 0) out << "  " << report.kills << " kills" << std::endl;
      }
    } catch (const std::runtime_error& e) {
      failures.Add("start " + std::to_string(round) + ": " + e.what());
    }
    for (std::string& f : failures.Take()) report.failures.push_back(std::move(f));
  }

  try {
    appserver_it::ServerProcess last(args);  // recovery after the last kill, then a clean stop
    ++report.restarts;
    const std::atomic<bool> notKilled{false};
    const int round = report.kills + report.stops;
    for (Client& c : clients) RunClient(last.Port(), c, round, false, notKilled, failures);
    const int status = last.Stop();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      failures.Add("the last server did not stop cleanly (status " + std::to_string(status) + ")");
  } catch (const std::runtime_error& e) {
    failures.Add("last start: " + std::string(e.what()));
  }
  for (std::string& f : failures.Take()) report.failures.push_back(std::move(f));
  report.integrity = Pragma(url, "integrity_check");
  const auto session = dbsession::Open(dbsession::ParseUrl(url));
  for (const Client& c : clients) report.tally.Add(Judge(c.ledger, ReadStored(*session, c.ledger)));
  return report;
}

void PrintCrashReport(std::ostream& out, const CrashReport& r) {
  const Tally& t = r.tally;
  out << "crash phase\n"
      << "  kills                     " << r.kills << "\n"
      << "  stops (SIGTERM) in saves  " << r.stops << "\n"
      << "  restarts on the same file " << r.restarts << "\n"
      << "  saves acknowledged        " << t.acked << "\n"
      << "  in flight at kill or stop " << t.inFlightStored + t.inFlightNotStored << " (" << t.inFlightStored
      << " stored, " << t.inFlightNotStored << " not)\n"
      << "  acknowledged saves lost   " << t.lost << "\n"
      << "  half-applied saves        " << t.halfApplied << "\n"
      << "  log rows disagreeing      " << t.logMismatch << "\n"
      << "  rows of no save           " << t.unexplained << "\n"
      << "  integrity_check           " << r.integrity << "\n";
  for (const std::string& p : t.problems) out << "  problem: " << p << "\n";
  for (const std::string& f : r.failures) out << "  failure: " << f << "\n";
  out << "  verdict                   " << (r.Sound() ? "ok" : "FAIL") << "\n";
}

}  // namespace soak
