// bench_history: GetHistoricoProp at the server (the dispatcher in-process,
// no socket) over a PROPSERVICO_LOG of N rows (default 1,000,000), on a
// temporary SQLite file and on a private PostgreSQL server. Five legs hold
// a fifth of the rows (tens of thousands each), two thousand others the
// rest; each leg has 40 services; the rows span about two years, a minute
// apart. Times the first page (50 rows) of a big leg: every service, one
// service, and a month in the middle of its history; then a page deep in
// it. Prints the median and 99th percentile of each, in microseconds.
// Then a save of 30 changes (SetQtdePropServico: 30 inclusions, then their
// 30 exclusions, in turn) with the history's indexes and again without
// them, for their cost on writes: the median of each, in milliseconds.
//
//   bench_history [--rows N] [--iterations N] [--saves N] [--engine sqlite|postgresql|both]

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "InProcessServer.h"
#include "appserver/db/Soci.h"
#include "pg_instance.h"

namespace {

using Clock = std::chrono::steady_clock;
using nlohmann::json;

constexpr int kBigLegs = 5;
constexpr int kSmallLegs = 2000;
constexpr int kServices = 40;
constexpr int kChangesPerSave = 30;

std::string Service(int s) { return "S" + std::to_string(100 + s); }

// The airline, its services, and the big legs as flights B0..B4 (the saves
// need theirs to exist).
std::string BaseSql() {
  std::string sql =
      "INSERT INTO FILIAL VALUES ('0001', 'Cozinha');"
      "INSERT INTO COMPANHIA VALUES ('0101', 'ASUL', 'Azul Sul');";
  for (int s = 0; s < kServices; ++s)
    sql += "INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS) VALUES ('0101', '" +
           Service(s) + "', 'Serviço " + Service(s) + "', '01.01." + std::to_string(100 + s) + "', 3, '1');";
  for (int b = 0; b < kBigLegs; ++b) {
    const std::string flight = "B" + std::to_string(b);
    sql += "INSERT INTO VOO VALUES ('0001', '0101', '" + flight + "');";
    sql += "INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO) VALUES ('0001', '0101', '" + flight + "', '01');";
  }
  return sql;
}

// The log, made by the database itself: row i is on big leg B((i/5) % 5)
// when i is a multiple of 5, else on small leg F(7i % 2000); its service is
// S(100 + (i/25) % 40), so that a big leg's rows take each service in
// turn; a tenth are inclusions, a tenth exclusions, the rest alterations;
// some come from copies and imports. Logged i minutes after 2023-01-01.
std::string LogSql(long rows, dbsession::Dialect dialect) {
  const std::string when = dialect == dbsession::Dialect::Postgresql
                               ? "TIMESTAMP '2023-01-01 00:00:00' + i * INTERVAL '1 minute'"
                               : "STRFTIME('%Y-%m-%d %H:%M:%f', '2023-01-01', '+' || i || ' minutes')";
  // The columns of a side, each null where the operation has no such side:
  // no _OLD for an inclusion, no _NEW for an exclusion.
  std::string sides;
  for (const char* without : {"I", "E"})
    for (const char* v : {"'0001'", "'0101'", "voo", "'01'", "svc", "de", "de + 9", "i % 7"})
      sides += std::string(", CASE WHEN op <> '") + without + "' THEN " + v + " END";
  return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(rows) +
         "), k AS (SELECT i, CASE WHEN i % 5 = 0 THEN 'B' || ((i / 5) % " + std::to_string(kBigLegs) +
         ") ELSE 'F' || (i * 7 % " + std::to_string(kSmallLegs) + ") END AS voo, 'S' || (100 + (i / 25) % " +
         std::to_string(kServices) +
         ") AS svc, CASE WHEN i % 10 = 0 THEN 'I' WHEN i % 10 = 1 THEN 'E' ELSE 'A' END AS op, "
         "CASE WHEN i % 7 = 0 THEN 'C' WHEN i % 11 = 0 THEN 'I' END AS origem, (i % 30) * 10 + 1 AS de FROM n) "
         "INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, IDORIGEM, CDFILIAL_OLD, CDCIA_OLD, NRVOO_OLD, "
         "CDTRECHO_OLD, CDSERVICO_OLD, QTPAXDE_OLD, QTPAXATE_OLD, QTSERVICO_OLD, CDFILIAL_NEW, CDCIA_NEW, NRVOO_NEW, "
         "CDTRECHO_NEW, CDSERVICO_NEW, QTPAXDE_NEW, QTPAXATE_NEW, QTSERVICO_NEW) SELECT " +
         when + ", 'bench', op, origem" + sides + " FROM k;";
}

std::string HistoryRequest(const std::string& service, const std::string& from, const std::string& to,
                           const std::string& before) {
  return json{{"jsonrpc", "2.0"},
              {"id", 2},
              {"method", "GetHistoricoProp"},
              {"params", {"0001", "ASUL", "B0", "01", service, from, to, "50", before}}}
      .dump();
}

rpc::Dispatcher::Outcome Checked(bench::InProcessServer& server, const char* name, const std::string& request) {
  rpc::Dispatcher::Outcome out = server.Handle(request);
  if (out.response.find("\"error\"") != std::string::npos) {
    std::fprintf(stderr, "bench_history: %s failed: %s\n", name, out.response.c_str());
    std::exit(1);
  }
  return out;
}

void Measure(const char* name, std::size_t n, bench::InProcessServer& server, const std::string& request) {
  const std::size_t rows = json::parse(Checked(server, name, request).response)["result"]["rows"].size();
  for (std::size_t i = 0; i < n / 10 + 1; ++i) Checked(server, name, request);
  std::vector<double> us(n);
  for (double& t : us) {
    const auto start = Clock::now();
    Checked(server, name, request);
    t = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  std::sort(us.begin(), us.end());
  std::printf("  %-44s %5zu rows %8zu %10.1f %10.1f\n", name, rows, n, us[n / 2], us[std::min(n - 1, n * 99 / 100)]);
}

// 30 ranges of a service on big leg B1, included or excluded in one save.
std::string SaveRequest(bool include) {
  json changes = json::array();
  for (int r = 0; r < kChangesPerSave; ++r) {
    const json range = {{"CDFILIAL", "0001"},      {"CDCIA", "0101"},         {"NRVOO", "B1"},
                        {"CDTRECHO", "01"},        {"CDSERVICO", Service(0)}, {"QTPAXDE", r * 10 + 1},
                        {"QTPAXATE", r * 10 + 10}, {"CDCLASSE", nullptr},     {"CDCICLO", nullptr},
                        {"QTSERVICO", 2}};
    changes.push_back(include ? json{{"op", "insert"}, {"new", range}} : json{{"op", "delete"}, {"old", range}});
  }
  json params = json::array();
  params.push_back(json{{"changes", changes}});
  return json{{"jsonrpc", "2.0"}, {"id", 3}, {"method", "SetQtdePropServico"}, {"params", params}}.dump();
}

// The median time of `saves` saves of 30 changes, in milliseconds. First
// the log written so far is settled (on SQLite, checkpointed out of the
// write-ahead log, which the load or the dropped indexes filled), and a few
// saves run untimed.
double SaveMedian(bench::InProcessServer& server, soci::session& side, std::size_t saves) {
  if (server.Where().dialect == dbsession::Dialect::Sqlite)
    side << "PRAGMA wal_checkpoint(TRUNCATE)";
  else
    side << "CHECKPOINT";
  for (int i = 0; i < 10; ++i) Checked(server, "SetQtdePropServico", SaveRequest(i % 2 == 0));
  std::vector<double> ms(saves);
  for (std::size_t i = 0; i < saves; ++i) {
    const std::string request = SaveRequest(i % 2 == 0);
    const auto start = Clock::now();
    Checked(server, "SetQtdePropServico", request);
    ms[i] = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  }
  if (saves % 2) Checked(server, "SetQtdePropServico", SaveRequest(false));  // leave the leg as it was
  std::sort(ms.begin(), ms.end());
  return ms[saves / 2];
}

void Run(const char* engine, const dbsession::Location& where, long rows, std::size_t iterations, std::size_t saves) {
  const auto start = Clock::now();
  bench::InProcessServer server(where, BaseSql() + LogSql(rows, where.dialect));
  auto side = dbsession::Open(where);
  // PostgreSQL's autovacuum would gather the statistics soon after such a
  // load; SQLite keeps none unless asked, and the server never asks.
  if (where.dialect == dbsession::Dialect::Postgresql) *side << "ANALYZE PROPSERVICO_LOG";
  long long count = 0;
  *side << "SELECT COUNT(*) FROM PROPSERVICO_LOG", soci::into(count);
  std::printf("%s: %lld log rows, filled in %.1f s\n", engine, count,
              std::chrono::duration<double>(Clock::now() - start).count());
  std::printf("  %-44s %10s %8s %10s %10s\n", "", "", "n", "median us", "p99 us");
  Measure("first page, every service", iterations, server, HistoryRequest("", "", "", ""));
  Measure("first page, one service", iterations, server, HistoryRequest(Service(7), "", "", ""));
  Measure("first page, January 2024", iterations, server,
          HistoryRequest("", "2024-01-01 00:00:00", "2024-02-01 00:00:00", ""));
  Measure("a page below the middle of the log", iterations, server,
          HistoryRequest("", "", "", std::to_string(rows / 2)));
  const double indexed = SaveMedian(server, *side, saves);
  *side << "DROP INDEX PROPSERVICO_LOG_TRECHO";
  *side << "DROP INDEX PROPSERVICO_LOG_SERVICO";
  const double bare = SaveMedian(server, *side, saves);
  std::printf("  save of %d changes, median: %.2f ms with the history's indexes, %.2f ms without\n", kChangesPerSave,
              indexed, bare);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"GetHistoricoProp at the server over a large PROPSERVICO_LOG, on SQLite and PostgreSQL."};
  long rows = 1000000;
  std::size_t iterations = 200, saves = 100;
  std::string engine = "both";
  app.add_option("--rows", rows, "log rows")->check(CLI::Range(1000L, 100000000L));
  app.add_option("--iterations", iterations, "calls of each kind")->check(CLI::Range(1, 1000000));
  app.add_option("--saves", saves, "saves of 30 changes, with and without the indexes")->check(CLI::Range(1, 100000));
  app.add_option("--engine", engine, "sqlite, postgresql or both")
      ->check(CLI::IsMember({"sqlite", "postgresql", "both"}));
  CLI11_PARSE(app, argc, argv);

  if (engine != "postgresql") {
    testsupport::TempDir dir;
    Run("SQLite", {dbsession::Dialect::Sqlite, (dir.Path() / "ate.db").string()}, rows, iterations, saves);
  }
  if (engine != "sqlite") {
    std::string why;
    testsupport::PgInstance* pg = testsupport::PgInstance::Get(&why);
    if (!pg) {
      std::printf("PostgreSQL: not measured: %s\n", why.c_str());
      return engine == "postgresql" ? 1 : 0;
    }
    const std::string name = pg->CreateDatabase();
    Run("PostgreSQL", {dbsession::Dialect::Postgresql, pg->ConnectString(name)}, rows, iterations, saves);
    pg->DropDatabase(name);
  }
  return 0;
}
