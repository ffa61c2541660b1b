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
#include <string>
#include <vector>

#include "InProcessServer.h"

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
double CopyOnce(bench::InProcessServer& server) {
  std::string targets;
  for (int f = 0; f < kCopyTargets; ++f) targets += (f ? ";" : "") + std::to_string(2000 + f) + "/01";
  const std::string request = R"({"jsonrpc":"2.0","id":4,"method":"CopiaPropServico","params":["0001","0101","1110","02",")" +
                              targets + R"(","","substituir","N"]})";
  const auto start = Clock::now();
  const rpc::Dispatcher::Outcome out = server.Handle(request);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (out.response.find("\"error\"") != std::string::npos) {
    std::fprintf(stderr, "bench_planning: the copy failed: %s\n", out.response.c_str());
    std::exit(1);
  }
  return ms;
}

void Measure(const char* name, std::size_t n, bench::InProcessServer& server,
             const std::string& request) {
  for (std::size_t i = 0; i < n / 10 + 1; ++i) server.Handle(request);
  std::vector<double> us(n);
  for (double& t : us) {
    const auto start = Clock::now();
    const rpc::Dispatcher::Outcome out = server.Handle(request);
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

  {
    bench::InProcessServer server("bench_planning", LegSql());
    std::printf("%-48s %8s %10s %10s\n", "", "n", "median us", "p99 us");
    Measure("GetCoberturaProp, 40 services x 10 ranges", iterations, server,
            R"({"jsonrpc":"2.0","id":2,"method":"GetCoberturaProp","params":["0001","ASUL","1110","01"]})");
    Measure("GetQtdeParaPax, 40 services x 10 ranges", iterations, server,
            R"({"jsonrpc":"2.0","id":3,"method":"GetQtdeParaPax","params":["0001","ASUL","1110","01","45"]})");
    const double onto = CopyOnce(server);
    const double replacing = CopyOnce(server);
    std::printf("CopiaPropServico, 40 services x 10 ranges to %d legs, applied: onto empty legs %.0f ms, "
                "replacing %.0f ms\n",
                kCopyTargets, onto, replacing);
  }
  return 0;
}
