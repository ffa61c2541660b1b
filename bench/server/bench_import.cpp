// bench_import: ImportaPropServico at the server (the dispatcher in-process,
// no socket) on a temporary SQLite file: a CSV of N lines (default 50,000)
// previewed, then applied replacing, with the preview's state token. The
// airline has legs of 10 services of 10 ranges each; the file names every
// leg with 8 of those services (half their ranges with another quantity)
// and 2 new ones, so each leg gets inserts, changes and removals. Prints
// each call's time and the process's peak resident memory.
//
//   bench_import [--lines N]

#include <sys/resource.h>
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "InProcessServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

constexpr int kLinesPerLeg = 100;

std::string Flight(int leg) { return std::to_string(1000 + leg); }
std::string Tree(int service) { return "01.01." + std::to_string(100 + service); }

// legs legs of 10 services (S100..S109) with ranges 1-10 .. 91-100 of
// quantity 1..10; services S110 and S111 without ranges.
std::string DatabaseSql(int legs) {
  std::string sql =
      "INSERT INTO FILIAL VALUES ('0001', 'Cozinha');"
      "INSERT INTO COMPANHIA VALUES ('0101', 'ASUL', 'Azul Sul');"
      "INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP, QTASSENTOS) VALUES ('0001', 'JT-120', 120);"
      "INSERT INTO CLASSE VALUES ('0001', 'ECO');"
      "INSERT INTO CICLO VALUES ('0001', 'PADRAO');";
  for (int s = 0; s < 12; ++s)
    sql +=
        "INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS, CDCLASSE, CDCICLO) "
        "VALUES ('0101', 'S" +
        std::to_string(100 + s) + "', 'Serviço', '" + Tree(s) + "', 3, '1', '0001', '0001');";
  for (int l = 0; l < legs; ++l) {
    sql += "INSERT INTO VOO VALUES ('0001', '0101', '" + Flight(l) + "');";
    sql +=
        "INSERT INTO TRECHO VALUES ('0001', '0101', '" + Flight(l) + "', '01', 'GRU-GIG', 'GRU', 'GIG', '0001', 'PT');";
    for (int s = 0; s < 10; ++s)
      for (int r = 0; r < 10; ++r)
        sql += "INSERT INTO PROPSERVICO VALUES ('0001', '0101', '" + Flight(l) + "', '01', 'S" +
               std::to_string(100 + s) + "', " + std::to_string(r * 10 + 1) + ", " + std::to_string(r * 10 + 10) +
               ", '0001', '0001', " + std::to_string(r + 1) + ");";
  }
  return sql;
}

// Per leg: services 0-7 with every other range's quantity changed (40
// changes), 8 and 9 left out (20 removals), 10 and 11 new (20 inserts).
std::string Csv(int legs) {
  std::string csv = "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço\r\n";
  for (int l = 0; l < legs; ++l)
    for (int s : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11})
      for (int r = 0; r < 10; ++r)
        csv += "0001;ASUL;" + Flight(l) + ";01;" + Tree(s) + ";ECO;PADRAO;" + std::to_string(r * 10 + 1) + ";" +
               std::to_string(r * 10 + 10) + ";" + std::to_string(r + 1) + (r % 2 ? ",5" : "") + "\r\n";
  return csv;
}

long PeakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The call's answer, failing the program on an error; ms: its time.
json Call(bench::InProcessServer& server, const json& params, double& ms) {
  const std::string request =
      json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "ImportaPropServico"}, {"params", params}}.dump();
  const auto start = Clock::now();
  const rpc::Dispatcher::Outcome out = server.Handle(request);
  ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  json response = json::parse(out.response);
  if (!response.contains("result")) {
    std::fprintf(stderr, "bench_import: the import failed: %s\n", out.response.substr(0, 500).c_str());
    std::exit(1);
  }
  return response["result"];
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"ImportaPropServico at the server: a CSV previewed, then applied replacing, on SQLite."};
  int lines = 50000;
  app.add_option("--lines", lines, "lines of the CSV (whole legs of 100 lines)")->check(CLI::Range(100, 100000));
  CLI11_PARSE(app, argc, argv);
  const int legs = lines / kLinesPerLeg;

  {
    bench::InProcessServer server("bench_import", DatabaseSql(legs));
    const std::string csv = Csv(legs);
    const long before = PeakKb();
    double previewMs = 0, applyMs = 0;
    const json preview = Call(server, {"0001", "ASUL", csv, "substituir", "S"}, previewMs);
    const json& first = preview["rows"].at(0);
    const json applied = Call(server, {"0001", "ASUL", csv, "substituir", "N", first.at(7)}, applyMs);
    std::printf("ImportaPropServico, %d lines (%d legs; per leg +%d ~%d -%d), %.1f MiB of CSV:\n", legs * kLinesPerLeg,
                legs, first.at(3).get<int>(), first.at(4).get<int>(), first.at(5).get<int>(), csv.size() / 1048576.0);
    std::printf("  preview %.0f ms, apply %.0f ms, total %.0f ms\n", previewMs, applyMs, previewMs + applyMs);
    std::printf("  peak RSS %.1f MiB (%.1f MiB before the import)\n", PeakKb() / 1024.0, before / 1024.0);
    if (applied["rows"].size() != static_cast<std::size_t>(legs)) {
      std::fprintf(stderr, "bench_import: %zu rows answered, %d legs expected\n", applied["rows"].size(), legs);
      return 1;
    }
  }
  return 0;
}
