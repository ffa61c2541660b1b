// The whole save road of a new range: its post, the checks asked of the
// server, the send and merge of the change log, the reload of both lists
// and the return to the same service and range, against an application
// server on loopback over the demo database. Counts the server calls of
// one post.
#include <benchmark/benchmark.h>

#include <map>
#include <stdexcept>
#include <string>

#include "appserver/db/DbSchema.h"
#include "framework/NetConnection.h"
#include "live_screen.h"

namespace {

// Counts the remote calls by method.
class Calls : public framework::CallObserver {
 public:
  void Called(const std::string& method, const std::vector<rpc::Param>&) override { ++count[method]; }
  std::map<std::string, int> count;
};

void Fill(soci::session& sql) {
  dbsession::LoadDemo(sql);
  // 10101001 on ASUL 1110 keeps its range 1 to 20; each post adds 21 to 50.
  sql << "DELETE FROM PROPSERVICO WHERE CDSERVICO = '10101001' AND QTPAXDE > 1";
}

// The screen on ASUL 1110 leg 01, the range grid in use.
class Bench : public bench::LiveScreen {
 public:
  Bench() : LiveScreen("save-bench", Fill, "0001") {
    screen->medSgCia->SetText("ASUL");
    screen->medNrVoo->SetFocus();
    screen->medNrVoo->SetText("1110");
    screen->dbgPadrao->SetFocus();
    screen->dbgQtdePropServico->SetFocus();
    Check(screen->cdsQtdePropServico->RecordCount() == 1, "the flight's ranges did not load");
  }
  // A new range 21 to 50 typed and not yet posted.
  void Type() {
    screen->cdsQtdePropServico->Insert();
    Check(screen->cdsQtdePropServicoQTPAXDE->AsString() == "21", "the new range does not start at 21");
    screen->cdsQtdePropServicoQTPAXATE->SetAsFloat(50);
    screen->cdsQtdePropServicoQTSERVICO->SetAsFloat(4);
  }
  // Saved, read back and on the new range; then taken away behind the
  // screen's back for the next round.
  void CheckAndUndo() {
    Check(dialogs.Messages().empty() && screen->cdsQtdePropServico->ChangeCount() == 0 &&
              screen->cdsQtdePropServico->RecordCount() == 2 &&
              screen->cdsQtdePropServicoQTPAXDE->AsString() == "21" &&
              screen->cdsPropServicoCDSERVICO->AsString() == "10101001",
          "the range was not saved and found again");
    Sql() << "DELETE FROM PROPSERVICO WHERE CDSERVICO = '10101001' AND QTPAXDE = 21";
    screen->cdsQtdePropServico->Delete();
    screen->cdsQtdePropServico->MergeChangeLog();
  }
  static void Check(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(what);
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void BM_SaveNewRange(benchmark::State& state) {
  Bench& b = Shared();
  Calls calls;
  int posts = 0;
  for (auto _ : state) {
    state.PauseTiming();
    b.Type();
    framework::TNetConnection::SetCallObserver(&calls);
    state.ResumeTiming();
    b.screen->cdsQtdePropServico->Post();
    state.PauseTiming();
    framework::TNetConnection::SetCallObserver(nullptr);
    ++posts;
    b.CheckAndUndo();
    state.ResumeTiming();
  }
  int total = 0;
  for (const auto& [method, n] : calls.count) {
    state.counters[method] = static_cast<double>(n) / posts;
    total += n;
  }
  state.counters["calls"] = static_cast<double>(total) / posts;
}
BENCHMARK(BM_SaveNewRange)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
