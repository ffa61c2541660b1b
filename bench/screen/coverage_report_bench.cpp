// The printed coverage of an airline with 1,000 legs, end to end as the
// user runs it: the "Ferramentas" item, the report screen's preview (the
// queries on the general database and the layout) and the PDF written.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "appserver/db/SqlScript.h"
#include "desktop/ReportPdf.h"
#include "live_screen.h"
#include "screen/CoverageReport.h"

namespace {

constexpr int kFlights = 250;
constexpr int kLegs = 4;       // 250 x 4 = 1,000 legs of airline C000 in branch 0009
constexpr int kServices = 10;  // each leg: 10 services of 3 ranges

std::string Code(int n, int width) {
  std::string s = std::to_string(n);
  return std::string(width - s.size(), '0') + s;
}

// Every 4th leg misses 41-60 of its fourth service; every 10th stops all
// its services at 150 of its 186 seats.
std::string Ranges(const std::string& leg, int n) {
  std::string rows;
  const int top = n % 10 == 0 ? 150 : 186;
  for (int s = 0; s < kServices; ++s) {
    const std::string key = leg + ", '" + Code(s, 4) + "', ";
    const int secondFrom = (n % 4 == 0 && s == 3) ? 61 : 41;
    for (auto [from, to] : {std::pair{1, 40}, std::pair{secondFrom, 100}, std::pair{101, top}})
      rows += std::string(rows.empty() ? "" : ",\n") + "(" + key + std::to_string(from) + ", " + std::to_string(to) +
              ", '0001', '0001', " + std::to_string(s + 1) + ")";
  }
  return rows;
}

std::string AirlineScript() {
  std::string sql =
      "INSERT INTO FILIAL (CDFILIAL, NMFILIAL) VALUES ('0009', 'Cozinha de carga');\n"
      "INSERT INTO EQUIPAMENTO (CDEQUIP, SGEQUIP, QTASSENTOS) VALUES ('0001', 'JT-180', 186);\n"
      "INSERT INTO COMPANHIA (CDCIA, SGCIA, NMCIA) VALUES ('1000', 'C000', 'Companhia 1000');\n"
      "INSERT INTO CLASSE (CDCLASSE, SGCLASSE) VALUES ('0001', 'ECO');\n"
      "INSERT INTO CICLO (CDCICLO, IDCICLO) VALUES ('0001', 'PADRAO');\n";
  std::string products, flights, legs, ranges;
  for (int s = 0; s < kServices; ++s)
    products += std::string(s ? ",\n" : "") + "('1000', '" + Code(s, 4) + "', 'Serviço " + std::to_string(s) +
                "', '01.01." + Code(s, 3) + "', 3, '1', '0001', '0001')";
  for (int f = 0; f < kFlights; ++f) {
    const std::string voo = "'0009', '1000', '" + Code(f, 4) + "'";
    flights += (flights.empty() ? "" : ",\n") + ("(" + voo + ")");
    for (int l = 1; l <= kLegs; ++l) {
      const std::string leg = voo + ", '0" + std::to_string(l) + "'";
      legs += (legs.empty() ? "" : ",\n") +
              ("(" + leg + ", 'GRU-GIG 1" + std::to_string(l) + "h00', 'GRU', 'GIG', '0001', 'PT-" + Code(f, 3) + "')");
      ranges += (ranges.empty() ? "" : ",\n") + Ranges(leg, f * kLegs + l);
    }
  }
  sql += "INSERT INTO PRODUTO (CDCIA, CDPRODUTO, NMPRODUTO, CDARVPROD, CDNVPRODUTO, IDPRODCOMISS, CDCLASSE, CDCICLO) "
         "VALUES\n" + products + ";\n";
  sql += "INSERT INTO VOO (CDFILIAL, CDCIA, NRVOO) VALUES\n" + flights + ";\n";
  sql += "INSERT INTO TRECHO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, DSTRECHO, BASEORI, BASEDES, CDEQUIP, SGPREFIXO) "
         "VALUES\n" + legs + ";\n";
  sql += "INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, CDCICLO, "
         "QTSERVICO) VALUES\n" + ranges + ";\n";
  return sql;
}

class Bench : public bench::LiveScreen {
 public:
  Bench()
      : LiveScreen("coverage-report-bench", [](soci::session& sql) { dbsession::RunScript(sql, AirlineScript()); },
                   "0009") {
    screen->medSgCia->SetText("C000");
  }
};

// From the menu item to the PDF on disk.
void BM_CoverageReportOfAnAirline(benchmark::State& state) {
  static Bench bench;
  const std::filesystem::path pdf = std::filesystem::temp_directory_path() / "coverage-report-bench.pdf";
  for (auto _ : state) {
    bench.dialogs.Clear();
    bench.dialogs.QueueModal([](toolkit::Form& form) {
      auto& report = dynamic_cast<screen_tools::TfrmRelCobertura&>(form);
      report.sbtPreview->Click();
      report.sbtSair->Click();
    });
    bench.screen->mnuRelCobertura->Click();
    if (bench.dialogs.Reports().size() != 1 || !bench.dialogs.Messages().empty())
      throw std::runtime_error("the report was not laid out");
    desktop::WriteReportPdf(bench.dialogs.Reports().back(), pdf);
  }
  state.counters["pdf_kB"] = static_cast<double>(std::filesystem::file_size(pdf)) / 1024;
  std::filesystem::remove(pdf);
}
BENCHMARK(BM_CoverageReportOfAnAirline)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
