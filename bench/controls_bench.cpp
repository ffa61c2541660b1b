// Typing into an edit and walking a dataset shown by a grid whose form has
// a listening observer.
#include <benchmark/benchmark.h>

#include <string>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Input.h"
#include "toolkit/controls/RecordingDialogs.h"
#include "toolkit/data/ClientDataSet.h"

using namespace toolkit;

namespace {

struct CountingObserver : ControlObserver {
  long changes = 0;
  void ControlChanged(Control&, Change) override { ++changes; }
};

struct Screen {
  RecordingDialogs dialogs;
  Form form;
  Screen() {
    Application::Instance().SetDialogs(&dialogs);
    form.SetName("frmBench");
    form.SetFormStyle(FormStyle::fsMDIChild);
  }
  ~Screen() { Application::Instance().SetDialogs(nullptr); }
};

void BM_TypeThousandCharacters(benchmark::State& state) {
  Screen screen;
  CountingObserver observer;
  screen.form.AddObserver(&observer);
  auto* edit = new MaskEdit(&screen.form);
  edit->SetName("medSgCia");
  edit->SetParent(&screen.form);
  edit->SetCharCase(CharCase::ecUpperCase);
  long changes = 0;
  edit->OnChange = [&](Control&) { ++changes; };
  edit->SetFocus();
  const std::string text(1000, 'a');
  for (auto _ : state) {
    edit->SetText("");
    input::Type(screen.form, text);
  }
  benchmark::DoNotOptimize(changes);
}
BENCHMARK(BM_TypeThousandCharacters)->Unit(benchmark::kMillisecond);

void BM_WalkTenThousandRowsShownByAGrid(benchmark::State& state) {
  Screen screen;
  CountingObserver observer;
  screen.form.AddObserver(&observer);
  ClientDataSet ds(&screen.form);
  ds.AddStringField("CDSERVICO", 10);
  ds.AddFloatField("QTPAXDE");
  ds.AddFloatField("QTPAXATE");
  ds.AddFloatField("QTSERVICO");
  packet::DataPacket packet;
  packet.fields = {{"CDSERVICO", packet::FieldType::String, 10},
                   {"QTPAXDE", packet::FieldType::Float, 0},
                   {"QTPAXATE", packet::FieldType::Float, 0},
                   {"QTSERVICO", packet::FieldType::Float, 0}};
  for (int i = 0; i < 10000; ++i)
    packet.rows.push_back({std::string("S") + std::to_string(i % 50), i * 10.0 + 1, i * 10.0 + 10, 2.0});
  ds.SetData(std::move(packet));
  DataSource source(&screen.form);
  source.SetDataSet(&ds);
  auto* grid = new DBGrid(&screen.form);
  grid->SetName("dbgQtdePropServico");
  grid->SetParent(&screen.form);
  grid->SetDataSource(&source);
  for (auto _ : state) {
    ds.First();
    while (!ds.Eof()) ds.Next();
  }
  benchmark::DoNotOptimize(observer.changes);
}
BENCHMARK(BM_WalkTenThousandRowsShownByAGrid)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
