// bench_server: the application server's latency next to its baseline, in one
// run on the demo database (a temporary SQLite file):
//   (a) a bare framed echo over loopback: rpc::Server answering every request
//       with an empty result, called with the same request as (c);
//   (b) the SQLite query behind GetQtdePropServico, prepared once: through the
//       native API, and through the server's own Statement class;
//   (c) the whole GetQtdePropServico call over loopback, real dispatcher;
//   (d) a durable SetQtdePropServico of 100 changes over loopback,
//       alternately inserting and deleting 100 ranges;
//   (e) throughput of (a) and (c) with 64 connections at once.
// Prints the median and 99th percentile of each, in microseconds.
//
//   bench_server [--iterations N] [--seconds S] [--connections C]

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// Runs op n times after a warm-up and gives the median and p99 in µs.
Figures Measure(std::size_t n, const std::function<void()>& op) {
  for (std::size_t i = 0; i < std::min<std::size_t>(n / 10 + 1, 500); ++i) op();
  std::vector<double> us(n);
  for (double& t : us) {
    const auto start = Clock::now();
    op();
    t = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  std::sort(us.begin(), us.end());
  return {us[n / 2], us[std::min(n - 1, n * 99 / 100)], n};
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

// 100 one-passenger ranges of a service on a leg without ranges.
std::string HundredChanges(bool insert) {
  std::string log = R"({"changes":[)";
  for (int k = 1; k <= 100; ++k) {
    const std::string row = R"({"CDSERVICO":"10101002","CDCIA":"0101","QTPAXDE":)" + std::to_string(k) +
                            R"(,"QTSERVICO":1,"QTPAXATE":)" + std::to_string(k) +
                            R"(,"CDCICLO":"0001","CDFILIAL":"0001","CDCLASSE":"0002","NRVOO":"1110","CDTRECHO":"02"})";
    if (k > 1) log += ",";
    log += insert ? R"({"op":"insert","new":)" + row + "}" : R"({"op":"delete","old":)" + row + "}";
  }
  return log + "]}";
}

void Throughput(const char* name, std::uint16_t port, int connections, double seconds) {
  loadgen::LoadOptions o;
  o.port = port;
  o.connections = connections;
  o.duration = std::chrono::duration<double>(seconds);
  o.method = "GetQtdePropServico";
  o.params = Texts(kQtdeArgs);
  const loadgen::LoadResult r = loadgen::RunLoad(o);
  std::printf("%-40s %6d conns %10.0f calls/s %6llu errors  p50 %5u us  p99 %6u us\n", name, connections,
              r.CallsPerSecond(), static_cast<unsigned long long>(r.errors), r.Percentile(50), r.Percentile(99));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Latency of the application server next to a bare echo, on the demo database"};
  std::size_t iterations = 20000;
  double seconds = 3;
  int connections = 64;
  app.add_option("--iterations", iterations, "calls measured per figure")->check(CLI::Range(10, 10000000));
  app.add_option("--seconds", seconds, "length of each throughput run")->check(CLI::PositiveNumber);
  app.add_option("--connections", connections, "connections of the throughput runs")->check(CLI::Range(1, 1024));
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
  rpc::Server echo(so, Echo);
  rpc::Server app_server(so, [&](std::string_view r, rpc::Session& s) { return dispatcher.Handle(r, s); });
  echo.Start();
  app_server.Start();

  rpc::Client echoClient("127.0.0.1", echo.Port());
  echoClient.Connect(kServer, "bench", "");
  rpc::Client client("127.0.0.1", app_server.Port());
  client.Connect(kServer, "bench", "");
  const auto args = Texts(kQtdeArgs);

  std::printf("%-58s %8s %10s %10s\n", "", "n", "median us", "p99 us");
  const Figures a = Measure(iterations, [&] { echoClient.Call("GetQtdePropServico", args); });
  Print("(a) bare framed echo over loopback", a);
  Print("(b) GetQtdePropServico query, native SQLite API", RawQuery(*side, iterations));
  appserver::Statement wrapped(
      *side, kQtdeSql, std::vector<appserver::Kind>(6, appserver::Kind::Text),
      {appserver::Kind::Text, appserver::Kind::Text, appserver::Kind::Number, appserver::Kind::Number,
       appserver::Kind::Number, appserver::Kind::Text, appserver::Kind::Text, appserver::Kind::Text,
       appserver::Kind::Text, appserver::Kind::Text});
  const std::vector<std::string> bind{"0001", "ASUL", "ASUL", "10101001", "1110", "01"};
  Print("(b') the same query through the server's Statement class", Measure(iterations, [&] {
          for (std::size_t i = 0; i < bind.size(); ++i) wrapped.SetText(i, bind[i]);
          for (bool more = wrapped.Execute(); more; more = wrapped.Next()) {
          }
          wrapped.Release();
        }));
  const Figures c = Measure(iterations, [&] { client.Call("GetQtdePropServico", args); });
  Print("(c) GetQtdePropServico over loopback, real dispatcher", c);
  bool insert = true;
  Print("(d) SetQtdePropServico, 100 changes, durable, over loopback", Measure(std::min<std::size_t>(iterations, 400), [&] {
          client.Call("SetQtdePropServico", {rpc::Param::Json(HundredChanges(insert))});
          insert = !insert;
        }));
  std::printf("ratios (c)/(a): median %.2f, p99 %.2f\n\n", c.median / a.median, c.p99 / a.p99);

  Throughput("(e) bare echo", echo.Port(), connections, seconds);
  Throughput("(e) GetQtdePropServico", app_server.Port(), connections, seconds);

  echo.Stop();
  app_server.Stop();
  side.reset();
  std::filesystem::remove_all(dir);
  return 0;
}
