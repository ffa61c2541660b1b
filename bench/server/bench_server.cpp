// bench_server: what a remote call costs next to a bare echo, from one run
// on the demo database (a temporary SQLite file, WAL, synchronous=FULL).
// The echo is rpc::Server answering every request with an empty result:
// framing, JSON-RPC decoding and encoding and the socket loop, no method and
// no database. Each figure of the app server stands beside the echo's for
// the same request text, with their ratio; the two take turns (ten rounds of
// calls, three rounds of load), so that the machine's drift touches both:
//   - one connection: median and p99 latency of GetQtdePropServico and of a
//     durable SetQtdePropServico of one range (inserted, then deleted);
//   - 64 connections: throughput of the same two (each connection saving a
//     range of its own);
//   - in process, no socket: Dispatcher::Handle of the read next to the
//     echo's handle, which is the server's own work per call;
//   - the read's query alone (native SQLite, and through Statement), and a
//     durable save of 100 changes;
//   - the read over HTTP on one kept-alive connection next to the framed
//     call, both to the app server.
//
//   bench_server [--iterations N] [--seconds S] [--connections C] [--handle-only]

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "HttpCaller.h"
#include "LoadGen.h"
#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "rpc/Client.h"
#include "rpc/Server.h"

// SOCI reads sqlite3.h into this namespace.
#include <soci/sqlite3/soci-sqlite3.h>

namespace {

namespace sq = sqlite_api;
using Clock = std::chrono::steady_clock;

constexpr char kServer[] = "Ate11600.rdmPropPass";
// The service of the demo with three ranges.
const std::vector<std::string> kQtdeArgs{"0001", "ASUL", "10101001", "", "", "1110", "01"};
// The server's query for those arguments, less the class and cycle filters
// that blank arguments lift.
const char kQtdeSql[] =
    "SELECT CDSERVICO, CDCIA, QTPAXDE, QTSERVICO, QTPAXATE, CDCICLO, CDFILIAL, CDCLASSE, NRVOO, CDTRECHO "
    "FROM PROPSERVICO WHERE CDFILIAL = :f AND CDCIA = COALESCE((SELECT CDCIA FROM COMPANHIA WHERE CDCIA = :c), "
    "(SELECT CDCIA FROM COMPANHIA WHERE SGCIA = :s)) AND CDSERVICO = :sv AND NRVOO = :v AND CDTRECHO = :t "
    "ORDER BY QTPAXDE, QTPAXATE";

struct Figures {
  double median = 0, p99 = 0;
  std::size_t n = 0;
};

Figures Summary(std::vector<double>& us) {
  std::sort(us.begin(), us.end());
  const std::size_t n = us.size();
  return {us[n / 2], us[std::min(n - 1, n * 99 / 100)], n};
}

// Runs op n times after a warm-up and gives the median and p99 in µs.
Figures Measure(std::size_t n, const std::function<void()>& op) {
  for (std::size_t i = 0; i < std::min<std::size_t>(n / 10 + 1, 500); ++i) op();
  std::vector<double> us(n);
  for (double& t : us) {
    const auto start = Clock::now();
    op();
    t = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  return Summary(us);
}

// The same for two operations taking turns in ten rounds, so that the
// machine slowing down or speeding up during the run touches both alike.
std::pair<Figures, Figures> MeasurePair(std::size_t n, const std::function<void()>& a,
                                        const std::function<void()>& b) {
  constexpr std::size_t kRounds = 10;
  for (std::size_t i = 0; i < std::min<std::size_t>(n / 10 + 1, 500); ++i) a(), b();
  std::vector<double> usA, usB;
  usA.reserve(n);
  usB.reserve(n);
  for (std::size_t round = 0; round < kRounds; ++round) {
    const std::size_t calls = n / kRounds + (round < n % kRounds ? 1 : 0);
    for (auto [op, us] : {std::pair{&a, &usA}, std::pair{&b, &usB}}) {
      for (std::size_t i = 0; i < calls; ++i) {
        const auto start = Clock::now();
        (*op)();
        us->push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      }
    }
  }
  return {Summary(usA), Summary(usB)};
}

void Print(const char* name, const Figures& f) {
  std::printf("%-58s %8zu %10.1f %10.1f\n", name, f.n, f.median, f.p99);
}

std::vector<rpc::Param> Texts(const std::vector<std::string>& values) {
  std::vector<rpc::Param> out;
  for (const auto& v : values) out.push_back(rpc::Param::String(v));
  return out;
}

// Answers every request with an empty result: framing, JSON-RPC decoding
// and encoding and the socket loop, no method and no database.
rpc::Dispatcher::Outcome Echo(std::string_view request, rpc::Session& session) {
  try {
    const rpc::Request r = rpc::DecodeRequest(request);
    session.connected = true;
    return {rpc::EncodeResult(r.idJson, rpc::Reply{}), false};
  } catch (const rpc::RpcError& e) {
    return {rpc::EncodeError("null", e), false};
  }
}

Figures RawQuery(soci::session& session, std::size_t n) {
  auto* db = static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
  sq::sqlite3_stmt* st = nullptr;
  sq::sqlite3_prepare_v2(db, kQtdeSql, -1, &st, nullptr);
  const std::vector<std::string> bind{"0001", "ASUL", "ASUL", "10101001", "1110", "01"};
  int rows = 0;
  const Figures f = Measure(n, [&] {
    for (int i = 0; i < static_cast<int>(bind.size()); ++i) {
      sq::sqlite3_bind_text(st, i + 1, bind[i].c_str(), static_cast<int>(bind[i].size()), SQLITE_STATIC);
    }
    while (sq::sqlite3_step(st) == SQLITE_ROW) {
      for (int c = 0; c < 10; ++c) {
        if (c >= 2 && c <= 4)
          rows += sq::sqlite3_column_double(st, c) > 0;
        else
          (void)sq::sqlite3_column_text(st, c);
      }
    }
    sq::sqlite3_reset(st);
  });
  sq::sqlite3_finalize(st);
  if (rows == 0) std::fprintf(stderr, "bench_server: the raw query found no rows\n");
  return f;
}

// A range of one passenger (`seat` to `seat`) of a service on a leg
// without ranges, as a change log row.
std::string RangeRow(int seat) {
  return R"({"CDSERVICO":"10101002","CDCIA":"0101","QTPAXDE":)" + std::to_string(seat) +
         R"(,"QTSERVICO":1,"QTPAXATE":)" + std::to_string(seat) +
         R"(,"CDCICLO":"0001","CDFILIAL":"0001","CDCLASSE":"0002","NRVOO":"1110","CDTRECHO":"02"})";
}

std::string Change(bool insert, int seat) {
  return insert ? R"({"op":"insert","new":)" + RangeRow(seat) + "}" : R"({"op":"delete","old":)" + RangeRow(seat) + "}";
}

// 100 one-passenger ranges, 1 to 100.
std::string HundredChanges(bool insert) {
  std::string log = R"({"changes":[)";
  for (int k = 1; k <= 100; ++k) log += (k > 1 ? "," : "") + Change(insert, k);
  return log + "]}";
}

// One range saved: inserted on odd calls, deleted on even ones.
std::vector<rpc::Param> OneRangeSave(int seat, std::uint64_t call) {
  return {rpc::Param::Json(R"({"changes":[)" + Change(call % 2 == 1, seat) + "]}")};
}

// Seats of the one-range saves: 1000 on one connection, 1001 + i on
// connection i of the first throughput round, and on; apart from
// HundredChanges' and below the highest bound, 9999.
constexpr int kOneConnectionSeat = 1000;

struct Throughput {
  double callsPerSecond = 0;  // the median of the rounds'
  double ratio = 0;           // the median of the rounds' ratios, app/echo
  std::uint64_t errors = 0;
};

double Load(std::uint16_t port, int connections, double seconds, const char* method,
            const std::function<std::vector<rpc::Param>(int, std::uint64_t)>& paramsOf, std::uint64_t* errors) {
  loadgen::LoadOptions o;
  o.port = port;
  o.connections = connections;
  o.duration = std::chrono::duration<double>(seconds);
  o.method = method;
  o.paramsOf = paramsOf;
  const loadgen::LoadResult r = loadgen::RunLoad(o);
  if (r.errors) std::fprintf(stderr, "bench_server: %s: %s\n", method, r.firstError.c_str());
  *errors += r.errors;
  return r.CallsPerSecond();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// The echo and the app server loaded in turn, three rounds each, so that
// the machine's drift touches both alike.
std::pair<Throughput, Throughput> LoadPair(std::uint16_t echoPort, std::uint16_t appPort, int connections,
                                           double seconds, const char* method,
                                           const std::function<std::vector<rpc::Param>(int, int, std::uint64_t)>& paramsOf) {
  constexpr int kRounds = 3;
  std::vector<double> echo, app, ratios;
  std::uint64_t echoErrors = 0, appErrors = 0;
  for (int round = 0; round < kRounds; ++round) {
    // paramsOf(round, connection, call): a round's saves leave ranges behind.
    auto params = [&](int connection, std::uint64_t call) { return paramsOf(round, connection, call); };
    echo.push_back(Load(echoPort, connections, seconds / kRounds, method, params, &echoErrors));
    app.push_back(Load(appPort, connections, seconds / kRounds, method, params, &appErrors));
    ratios.push_back(app.back() / echo.back());
  }
  const double ratio = Median(ratios);
  return {{Median(echo), ratio, echoErrors}, {Median(app), ratio, appErrors}};
}

void Row(const char* name, const Figures& echo, const Figures& app, const char* target) {
  std::printf("%-40s %9.1f %9.1f %9.1f %9.1f %7.2f %6.2f  %s\n", name, echo.median, echo.p99, app.median, app.p99,
              app.median / echo.median, app.p99 / echo.p99, target);
}

void Row(const char* name, const Throughput& echo, const Throughput& app, const char* target) {
  std::printf("%-40s %19.0f %19.0f %7.2f %6s  %s%s\n", name, echo.callsPerSecond, app.callsPerSecond, app.ratio,
              "", target, app.errors || echo.errors ? " (errors!)" : "");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"What a call of the application server costs next to a bare echo, on the demo database"};
  std::size_t iterations = 20000;
  double seconds = 6;
  int connections = 64;
  app.add_option("--iterations", iterations, "calls measured per figure")->check(CLI::Range(10, 10000000));
  app.add_option("--seconds", seconds, "seconds each server is loaded per throughput figure, in three rounds")->check(CLI::PositiveNumber);
  app.add_option("--connections", connections, "connections of the throughput runs")->check(CLI::Range(1, 1024));
  bool handleOnly = false;
  app.add_flag("--handle-only", handleOnly,
               "only the in-process Dispatcher::Handle of the read, `iterations` times, for a profiler");
  CLI11_PARSE(app, argc, argv);

  char dir[] = "/tmp/ate-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const dbsession::Location where{dbsession::Dialect::Sqlite, std::string(dir) + "/ate.db"};
  auto side = dbsession::Open(where);
  dbsession::CreateSchema(*side);
  dbsession::LoadDemo(*side);

  appserver::Database db(where);
  rpc::Dispatcher dispatcher(kServer, "");
  appserver::RegisterMethods(dispatcher, db);
  rpc::ServerOptions so;
  so.threads = 2;
  so.maxRequestRate = 0;  // measuring speed, not the guard against floods
  so.maxConnectionsPerPeer = 0;  // every load connection comes from loopback
  // In process: the server's own work per call, without the socket.
  const auto args = Texts(kQtdeArgs);
  const std::string request = rpc::EncodeRequest("7", "GetQtdePropServico", args);
  rpc::Session session;
  session.connected = true;
  session.user = "bench";
  if (handleOnly) {
    Print("in process, no socket: Handle", Measure(iterations, [&] { (void)dispatcher.Handle(request, session); }));
    side.reset();
    std::filesystem::remove_all(dir);
    return 0;
  }
  rpc::Server echo(so, Echo);
  so.httpServerName = kServer;
  rpc::Server app_server(so, [&](std::string_view r, rpc::Session& s) { return dispatcher.Handle(r, s); });
  echo.Start();
  app_server.Start();

  rpc::Client echoClient("127.0.0.1", echo.Port());
  echoClient.Connect(kServer, "bench", "");
  rpc::Client client("127.0.0.1", app_server.Port());
  client.Connect(kServer, "bench", "");
  const std::size_t saves = std::min<std::size_t>(iterations, 2000);

  // One connection.
  const auto [echoRead, appRead] = MeasurePair(
      iterations, [&] { echoClient.Call("GetQtdePropServico", args); }, [&] { client.Call("GetQtdePropServico", args); });
  std::uint64_t echoCall = 0, call = 0;
  const auto [echoSave, appSave] = MeasurePair(
      saves, [&] { echoClient.Call("SetQtdePropServico", OneRangeSave(kOneConnectionSeat, ++echoCall)); },
      [&] { client.Call("SetQtdePropServico", OneRangeSave(kOneConnectionSeat, ++call)); });
  // The warm-up's calls count too: an odd total leaves the range stored.
  if (call % 2 == 1) client.Call("SetQtdePropServico", OneRangeSave(kOneConnectionSeat, ++call));

  HttpCaller http(app_server.Port(), "bench");
  const std::string httpRequest = rpc::EncodeRequest("7", "GetQtdePropServico", args);
  const auto [framedRead, httpRead] = MeasurePair(
      iterations, [&] { client.Call("GetQtdePropServico", args); }, [&] { (void)rpc::DecodeResponse(http.Post(httpRequest)); });

  const auto [echoHandle, appHandle] = MeasurePair(
      iterations, [&] { (void)Echo(request, session); }, [&] { (void)dispatcher.Handle(request, session); });

  // Many connections.
  auto read = [&args](int, int, std::uint64_t) { return args; };
  auto ownRange = [connections](int round, int connection, std::uint64_t n) {
    return OneRangeSave(kOneConnectionSeat + 1 + round * connections + connection, n);
  };
  const auto [echoReads, appReads] =
      LoadPair(echo.Port(), app_server.Port(), connections, seconds, "GetQtdePropServico", read);
  const auto [echoSaves, appSaves] =
      LoadPair(echo.Port(), app_server.Port(), connections, seconds, "SetQtdePropServico", ownRange);

  std::printf("%-40s %19s %19s %14s\n", "", "echo", "app server", "app/echo");
  std::printf("%-40s %9s %9s %9s %9s %7s %6s  %s\n", "one connection, us", "median", "p99", "median", "p99", "median",
              "p99", "target");
  Row("GetQtdePropServico", echoRead, appRead, "<= 1.5, <= 2");
  Row("SetQtdePropServico, 1 range, durable", echoSave, appSave, "");
  Row("in process, no socket: Handle", echoHandle, appHandle, "");
  std::printf("%-40s %19s %19s\n", (std::to_string(connections) + " connections, calls/s").c_str(), "", "");
  Row("GetQtdePropServico", echoReads, appReads, ">= 0.70");
  Row("SetQtdePropServico, 1 range, durable", echoSaves, appSaves, "");
  std::printf("\n%-40s %19s %19s %14s\n", "app server, one connection, us", "framed", "HTTP kept alive",
              "HTTP/framed");
  Row("GetQtdePropServico", framedRead, httpRead, "<= 1.2 (median)");
  std::printf("\n%-58s %8s %10s %10s\n", "", "n", "median us", "p99 us");
  Print("GetQtdePropServico's query, native SQLite API", RawQuery(*side, iterations));
  appserver::Statement wrapped(
      *side, kQtdeSql, std::vector<appserver::Kind>(6, appserver::Kind::Text),
      {appserver::Kind::Text, appserver::Kind::Text, appserver::Kind::Number, appserver::Kind::Number,
       appserver::Kind::Number, appserver::Kind::Text, appserver::Kind::Text, appserver::Kind::Text,
       appserver::Kind::Text, appserver::Kind::Text});
  const std::vector<std::string> bind{"0001", "ASUL", "ASUL", "10101001", "1110", "01"};
  Print("the same query through the server's Statement class", Measure(iterations, [&] {
          for (std::size_t i = 0; i < bind.size(); ++i) wrapped.SetText(i, bind[i]);
          for (bool more = wrapped.Execute(); more; more = wrapped.Next()) {
          }
          wrapped.Release();
        }));
  bool insert = true;
  Print("SetQtdePropServico, 100 changes, durable, one connection", Measure(std::min<std::size_t>(iterations, 400), [&] {
          client.Call("SetQtdePropServico", {rpc::Param::Json(HundredChanges(insert))});
          insert = !insert;
        }));

  echo.Stop();
  app_server.Stop();
  side.reset();
  std::filesystem::remove_all(dir);
  return 0;
}
