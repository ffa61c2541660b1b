// Speed of the client dataset engine on a large airline answer: 10,000 legs
// of the 11 fields the airline lookup returns.
#include <benchmark/benchmark.h>

#include <string>

#include "packet/ChangeLog.h"
#include "packet/DataPacket.h"
#include "toolkit/data/ClientDataSet.h"

using namespace toolkit;
using packet::FieldType;

namespace {

constexpr int kRows = 10000;

const std::vector<packet::FieldDef>& AirlineFields() {
  static const std::vector<packet::FieldDef> fields = {
      {"CDCIA", FieldType::String, 4},     {"SGCIA", FieldType::String, 5},    {"NMCIA", FieldType::String, 50},
      {"NRVOO", FieldType::String, 5},     {"BASEORI", FieldType::String, 5},  {"BASEDES", FieldType::String, 5},
      {"CDEQUIP", FieldType::String, 4},   {"DSTRECHO", FieldType::String, 13}, {"CDTRECHO", FieldType::String, 4},
      {"SGPREFIXO", FieldType::String, 10}, {"SGEQUIP", FieldType::String, 10}};
  return fields;
}

// 100 airlines of 100 flights of one leg each, except that flight 1234 of
// airline "XY" has three legs; so SGCIA = 'XY' AND NRVOO = '1234' matches 3.
const std::string& AirlineJson() {
  static const std::string json = [] {
    packet::DataPacket p;
    p.fields = AirlineFields();
    const char* bases[] = {"GRU", "GIG", "BSB", "REC", "SSA", "POA", "CWB", "FOR"};
    for (int i = 0; i < kRows; ++i) {
      int cia = i / 100, voo = i % 100;
      std::string sg = cia == 0 ? "XY" : "C" + std::to_string(cia);
      std::string nr = cia == 0 && voo < 3 ? "1234" : std::to_string(1000 + voo);
      std::string leg = cia == 0 && voo < 3 ? "0" + std::to_string(voo + 1) : "01";
      const char* ori = bases[i % 8];
      const char* des = bases[(i + 3) % 8];
      p.rows.push_back({std::string(4 - std::to_string(cia).size(), '0') + std::to_string(cia), sg,
                        "Companhia Aérea Número " + std::to_string(cia), nr, std::string(ori), std::string(des),
                        std::string("E190"), std::string(ori) + "-" + des + " " + leg, leg,
                        "PR-" + std::to_string(10000 + i), std::string("EMB-190")});
    }
    return packet::EncodePacket(p);
  }();
  return json;
}

void DefineAirlineFields(ClientDataSet& ds) {
  for (const auto& f : AirlineFields()) ds.AddField(f.name, f.type, f.size);
}

void LoadAirlines(ClientDataSet& ds) { ds.SetData(packet::DecodePacket(AirlineJson())); }

void BM_JsonToBrowsableDataSet(benchmark::State& state) {
  const std::string& json = AirlineJson();
  ClientDataSet ds;
  DefineAirlineFields(ds);
  for (auto _ : state) {
    ds.SetData(packet::DecodePacket(json));
    benchmark::DoNotOptimize(ds.FieldByName("NMCIA").AsString());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * json.size());
}
BENCHMARK(BM_JsonToBrowsableDataSet)->Unit(benchmark::kMillisecond);

void BM_FilterThreeOfTenThousandAndWalk(benchmark::State& state) {
  ClientDataSet ds;
  DefineAirlineFields(ds);
  LoadAirlines(ds);
  Field& leg = ds.FieldByName("CDTRECHO");
  for (auto _ : state) {
    ds.SetFiltered(false);
    ds.SetFilter("SGCIA = 'XY' AND NRVOO = '1234'");
    ds.SetFiltered(true);
    int n = 0;
    for (ds.First(); !ds.Eof(); ds.Next()) n += leg.AsString().size() > 0;
    if (n != 3) state.SkipWithError("filter did not match 3 rows");
    ds.SetFiltered(false);
    ds.SetFilter("");
  }
}
BENCHMARK(BM_FilterThreeOfTenThousandAndWalk)->Unit(benchmark::kMicrosecond);

void BM_LocateThreeKeys(benchmark::State& state) {
  ClientDataSet ds;
  DefineAirlineFields(ds);
  LoadAirlines(ds);
  // The last row, so the search reads every row.
  ds.Last();
  std::vector<Variant> key = {ds.FieldByName("CDCIA").AsString(), ds.FieldByName("NRVOO").AsString(),
                              ds.FieldByName("CDTRECHO").AsString()};
  for (auto _ : state) {
    ds.First();
    if (!ds.Locate("CDCIA;NRVOO;CDTRECHO", key, loCaseInsensitive)) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_LocateThreeKeys)->Unit(benchmark::kMicrosecond);

// 1,000 rows inserted and posted with the change log on, then the delta
// encoded. First arg: 1 starts from the 10,000 rows, 0 from an empty
// dataset. Second arg: 0 writes the delta straight from the rows
// (DeltaJson), 1 builds the ChangeLog value first (EncodeChangeLog(Delta())).
void BM_ThousandInsertsThenDelta(benchmark::State& state) {
  bool loaded = state.range(0) == 1;
  bool viaValue = state.range(1) == 1;
  ClientDataSet ds;
  DefineAirlineFields(ds);
  std::vector<Field*> fields;
  for (int i = 0; i < ds.FieldCount(); ++i) fields.push_back(&ds.Fields(i));
  std::vector<std::string> texts;
  for (int r = 0; r < 1000; ++r) texts.push_back("N" + std::to_string(r));
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (loaded)
      LoadAirlines(ds);
    else
      ds.CreateDataSet();
    ds.First();
    state.ResumeTiming();
    for (int r = 0; r < 1000; ++r) {
      ds.Insert();
      for (Field* f : fields) f->SetAsString(texts[r]);
      ds.Post();
    }
    std::string json = viaValue ? packet::EncodeChangeLog(ds.Delta()) : ds.DeltaJson();
    bytes = json.size();
  }
  state.counters["delta_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ThousandInsertsThenDelta)->Args({1, 0})->Args({1, 1})->Args({0, 0})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
