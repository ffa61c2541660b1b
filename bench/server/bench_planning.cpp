// bench_planning: GetCoberturaProp and GetQtdeParaPax at the server (the
// dispatcher in-process, no socket) on a leg of 40 services with 10 ranges
// each, in a temporary SQLite file. Prints the median and 99th percentile
// of each, in microseconds. Then CopiaPropServico applied: a leg of 40
// services of 10 ranges copied to 100 legs, first onto empty legs, then
// replacing what the first copy stored; each in milliseconds.
//
//   bench_planning [--iterations N]

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SqlScript.h"
#include "rpc/Dispatcher.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCopyTargets = 100;

// One leg, 40 services of 10 ranges each: 1-10, 11-20, ... 91-100, with a
// hole at 41-50 in every other service; 120 seats.
std::string LegSql() {
  std::string sql =
      "INSERT INTO FILIAL VALUES ('0001', 'Cozinha');"
      "INSERT INTO COMPANHIA VALUES ('0101', 'ASUL', 'Azul Sul');"
      "INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP, QTASSENTOS) VALUES ('0001', 'JT-120', 120);"
      "INSERT INTO VOO VALUES ('0001', '0101', '1110');"
      "INSERT INTO TRECHO VALUES ('0001', '0101', '1110', '01', 'GRU-GIG', 'GRU', 'GIG', '0001', 'PT-AAA');"
      "INSERT INTO TRECHO VALUES ('0001', '0101', '1110', '02', 'GIG-SSA', 'GIG', 'SSA', '0001', 'PT-AAA');";
  for (int s = 0; s < 40; ++s) {
    const std::string code = "S" + std::to_string(100 + s);
    sql += "INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS) VALUES ('0101', '" +
           code + "', 'Serviço " + code + "', '01.01." + std::to_string(100 + s) + "', 3, '1');";
    for (int r = 0; r < 10; ++r) {
      const std::string range = "'" + code + "', " + std::to_string(r * 10 + 1) + ", " + std::to_string(r * 10 + 10) +
                                ", NULL, NULL, " + std::to_string(r + 1) + ");";
      // Leg 02, the copy's source, has every range.
      sql += "INSERT INTO PROPSERVICO VALUES ('0001', '0101', '1110', '02', " + range;
      if (s % 2 == 0 || r != 4) sql += "INSERT INTO PROPSERVICO VALUES ('0001', '0101', '1110', '01', " + range;
    }
  }
  for (int f = 0; f < kCopyTargets; ++f) {
    const std::string flight = std::to_string(2000 + f);
    sql += "INSERT INTO VOO VALUES ('0001', '0101', '" + flight + "');";
    sql += "INSERT INTO TRECHO VALUES ('0001', '0101', '" + flight + "', '01', 'GRU-GIG', 'GRU', 'GIG', '0001', 'PT-B');";
  }
  return sql;
}

// Copies leg 1110/02 onto the 100 target legs; the milliseconds it took.
double CopyOnce(const rpc::Dispatcher& d, rpc::Session& session) {
  std::string targets;
  for (int f = 0; f < kCopyTargets; ++f) targets += (f ? ";" : "") + std::to_string(2000 + f) + "/01";
  const std::string request = R"({"jsonrpc":"2.0","id":4,"method":"CopiaPropServico","params":["0001","0101","1110","02",")" +
                              targets + R"(","","substituir","N"]})";
  const auto start = Clock::now();
  const rpc::Dispatcher::Outcome out = d.HandleNow(request, session);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (out.response.find("\"error\"") != std::string::npos) {
    std::fprintf(stderr, "bench_planning: the copy failed: %s\n", out.response.c_str());
    std::exit(1);
  }
  return ms;
}

void Measure(const char* name, std::size_t n, const rpc::Dispatcher& d, rpc::Session& session,
             const std::string& request) {
  for (std::size_t i = 0; i < n / 10 + 1; ++i) d.HandleNow(request, session);
  std::vector<double> us(n);
  for (double& t : us) {
    const auto start = Clock::now();
    const rpc::Dispatcher::Outcome out = d.HandleNow(request, session);
    t = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    if (out.response.find("\"error\"") != std::string::npos) {
      std::fprintf(stderr, "bench_planning: %s failed: %s\n", name, out.response.c_str());
      std::exit(1);
    }
  }
  std::sort(us.begin(), us.end());
  std::printf("%-48s %8zu %10.1f %10.1f\n", name, n, us[n / 2], us[std::min(n - 1, n * 99 / 100)]);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"GetCoberturaProp and GetQtdeParaPax at the server, on a leg of 40 services of 10 ranges."};
  std::size_t iterations = 5000;
  app.add_option("--iterations", iterations, "calls of each method")->check(CLI::Range(1, 10000000));
  CLI11_PARSE(app, argc, argv);

  const auto dir = std::filesystem::temp_directory_path() / ("bench_planning_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    const dbsession::Location where{dbsession::Dialect::Sqlite, (dir / "ate.db").string()};
    {
      auto session = dbsession::Open(where);
      dbsession::CreateSchema(*session);
      dbsession::RunScript(*session, LegSql());
    }
    appserver::Database db(where);
    rpc::Dispatcher dispatcher("Ate11600.rdmPropPass", "");
    appserver::RegisterMethods(dispatcher, db);
    rpc::Session session;
    dispatcher.HandleNow(
        R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"b"}})",
        session);
    std::printf("%-48s %8s %10s %10s\n", "", "n", "median us", "p99 us");
    Measure("GetCoberturaProp, 40 services x 10 ranges", iterations, dispatcher, session,
            R"({"jsonrpc":"2.0","id":2,"method":"GetCoberturaProp","params":["0001","ASUL","1110","01"]})");
    Measure("GetQtdeParaPax, 40 services x 10 ranges", iterations, dispatcher, session,
            R"({"jsonrpc":"2.0","id":3,"method":"GetQtdeParaPax","params":["0001","ASUL","1110","01","45"]})");
    const double onto = CopyOnce(dispatcher, session);
    const double replacing = CopyOnce(dispatcher, session);
    std::printf("CopiaPropServico, 40 services x 10 ranges to %d legs, applied: onto empty legs %.0f ms, "
                "replacing %.0f ms\n",
                kCopyTargets, onto, replacing);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
