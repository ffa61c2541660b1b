// The airline pick list on a branch of 10,000 legs: loading the answer,
// picking a row and building that flight's leg list (filter and Locate).
// The client's share is timed apart from the whole round through a live
// application server on loopback.
#include <benchmark/benchmark.h>

#include <stdexcept>
#include <string>

#include "appserver/db/SqlScript.h"
#include "framework/Helpers.h"
#include "framework/ServerAnswer.h"
#include "live_screen.h"
#include "server/ServerMethods.h"

namespace {

constexpr int kAirlines = 50;
constexpr int kFlights = 100;
constexpr int kLegs = 2;  // 50 x 100 x 2 = 10,000 legs in branch 0009
// A row in the middle of the answer: airline 25, flight 50, second leg.
constexpr int kPickedRow = (25 * kFlights + 50) * kLegs + 1;

std::string Code(int n, int width) {
  std::string s = std::to_string(n);
  return std::string(width - s.size(), '0') + s;
}

std::string BranchScript() {
  std::string sql =
      "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Cozinha de carga');\n"
      "INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP) VALUES ('0001', 'JT-180');\n";
  std::string airlines, flights, legs;
  for (int a = 0; a < kAirlines; ++a) {
    const std::string cdcia = Code(1000 + a, 4);
    airlines += (a ? ",\n" : "") + ("('" + cdcia + "', 'C" + Code(a, 3) + "', 'Companhia " + cdcia + "')");
    for (int f = 0; f < kFlights; ++f) {
      const std::string voo = "'0009', '" + cdcia + "', '" + Code(f, 4) + "'";
      flights += (flights.empty() ? "" : ",\n") + ("(" + voo + ")");
      for (int l = 1; l <= kLegs; ++l)
        legs += (legs.empty() ? "" : ",\n") +
                ("(" + voo + ", '0" + std::to_string(l) + "', 'GRU-GIG 1" + std::to_string(l) +
                 "h00', 'GRU', 'GIG', '0001', 'PT-" + Code(f, 3) + "')");
    }
  }
  sql += "INSERT INTO COMPANHIA (CDCIA, SGCIA, NMCIA) VALUES\n" + airlines + ";\n";
  sql += "INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO) VALUES\n" + flights + ";\n";
  sql += "INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DSTRECHO, BASEORI, BASEDES, CDEQUIP, SGPREFIXO) "
         "VALUES\n" + legs + ";\n";
  return sql;
}

// The screen over a database with the generated branch.
class Bench : public bench::LiveScreen {
 public:
  Bench()
      : LiveScreen("header-bench", [](soci::session& sql) { dbsession::RunScript(sql, BranchScript()); }, "0009") {}

  // Checks the pick landed where intended: an airline of the middle with
  // its two legs, the second chosen, and cdsCompanhia on that flight (all
  // rows, or the flight alone once the pick has loaded it).
  void CheckPick() const {
    if (screen->cbbTrecho->ItemCount() != kLegs || screen->cbbTrecho->ItemIndex() != 1 ||
        screen->cdsCompanhia->IsEmpty() || screen->cdsCompanhiaSGCIA->AsString() != "C025" ||
        screen->medSgCia->Text() != "C025" || !dialogs.Messages().empty())
      throw std::runtime_error("the pick did not give the expected header");
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

// What the client does with one answer: decode and load it, the pick
// list's choice, and the header filled with the picked flight's legs.
void BM_LookupPickAndLegs_Client(benchmark::State& state) {
  Bench& b = Shared();
  TfrmPropPass& s = *b.screen;
  std::string allFlights = "T", allLegs = "T";
  const framework::ServerAnswer answer =
      server::GetCompanhia(*s.netPropPass, "", "T", s.edtfilial->Text(), "", allFlights, "", allLegs);
  for (auto _ : state) {
    s.cdsCompanhia->SetData(framework::CheckResultServ(answer, true, 0));
    b.dialogs.QueuePick(kPickedRow);
    if (!framework::Pesquisar(*s.dtsCompanhia, "Companhia", false, false)) throw std::runtime_error("no pick");
    s.btpSgCompanhiaAfterPesq(*s.btpSgCompanhia);
  }
  b.CheckPick();
  state.counters["answer_bytes"] = static_cast<double>(answer.resultJson.size());
}
BENCHMARK(BM_LookupPickAndLegs_Client)->Unit(benchmark::kMillisecond);

// The same from the button, with the server's query and the loopback
// transfer of the 10,000 rows.
void BM_LookupPickAndLegs_WithServer(benchmark::State& state) {
  Bench& b = Shared();
  for (auto _ : state) {
    b.dialogs.QueuePick(kPickedRow);
    b.screen->btpSgCompanhia->Click();
  }
  b.CheckPick();
}
BENCHMARK(BM_LookupPickAndLegs_WithServer)->Unit(benchmark::kMillisecond);

// The leg list alone, over the loaded answer.
void BM_LegListBuild(benchmark::State& state) {
  Bench& b = Shared();
  TfrmPropPass& s = *b.screen;
  b.dialogs.QueuePick(kPickedRow);
  s.btpSgCompanhia->Click();
  for (auto _ : state) s.Preenche_Listaa_Trecho();
  // A build on its own selects the first leg and keeps the picked row.
  if (s.cbbTrecho->ItemCount() != kLegs || s.cbbTrecho->ItemIndex() != 0 || s.cdsCompanhiaCDTRECHO->AsString() != "02")
    throw std::runtime_error("the leg list was not built for the picked flight");
}
BENCHMARK(BM_LegListBuild)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
