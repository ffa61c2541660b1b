#pragma once
// Test helpers: a dataset of ranges with every event written to a log.

#include <string>
#include <vector>

#include "toolkit/data/ClientDataSet.h"
#include "toolkit/data/DataSource.h"

namespace testutil {

inline const char* StateName(toolkit::DataSetState s) {
  switch (s) {
    case toolkit::DataSetState::dsInactive: return "inactive";
    case toolkit::DataSetState::dsBrowse: return "browse";
    case toolkit::DataSetState::dsEdit: return "edit";
    case toolkit::DataSetState::dsInsert: return "insert";
  }
  return "?";
}

// Writes pending cell text into a field when the dataset asks, as a grid does.
struct PendingTextLink : toolkit::DataLink {
  std::vector<std::string>* log = nullptr;
  toolkit::Field* field = nullptr;
  std::string text;
  void UpdateData() override {
    if (log) log->push_back("UpdateData");
    if (field && !text.empty()) {
      std::string t = std::move(text);
      text.clear();
      field->SetAsString(t);
    }
  }
};

struct EventLog {
  std::vector<std::string> entries;
  toolkit::DataSource source;
  PendingTextLink link;

  void Attach(toolkit::DataSet& ds) {
    auto add = [this](toolkit::DataSet::NotifyEvent& e, const char* name) {
      e = [this, name](toolkit::DataSet&) { entries.push_back(name); };
    };
    add(ds.BeforeInsert, "BeforeInsert");
    add(ds.AfterInsert, "AfterInsert");
    add(ds.BeforeEdit, "BeforeEdit");
    add(ds.AfterEdit, "AfterEdit");
    add(ds.BeforePost, "BeforePost");
    add(ds.AfterPost, "AfterPost");
    add(ds.BeforeCancel, "BeforeCancel");
    add(ds.AfterCancel, "AfterCancel");
    add(ds.BeforeDelete, "BeforeDelete");
    add(ds.AfterDelete, "AfterDelete");
    add(ds.BeforeScroll, "BeforeScroll");
    add(ds.AfterScroll, "AfterScroll");
    source.SetDataSet(&ds);
    source.OnStateChange = [this](toolkit::DataSource& s) {
      entries.push_back(std::string("State:") + StateName(s.State()));
    };
    link.log = &entries;
    link.SetDataSource(&source);
  }

  // The log so far, joined by ", ", and cleared.
  std::string Take() {
    std::string out;
    for (const auto& e : entries) out += (out.empty() ? "" : ", ") + e;
    entries.clear();
    return out;
  }
};

// A packet of passenger ranges: CDSERVICO (string 10), QTPAXDE, QTPAXATE,
// QTSERVICO (floats).
inline packet::DataPacket RangePacket(const std::vector<std::vector<packet::Value>>& rows) {
  packet::DataPacket p;
  p.fields = {{"CDSERVICO", packet::FieldType::String, 10},
              {"QTPAXDE", packet::FieldType::Float, 0},
              {"QTPAXATE", packet::FieldType::Float, 0},
              {"QTSERVICO", packet::FieldType::Float, 0}};
  for (const auto& r : rows) p.rows.push_back(r);
  return p;
}

inline void DefineRangeFields(toolkit::DataSet& ds) {
  ds.AddStringField("CDSERVICO", 10);
  ds.AddFloatField("QTPAXDE");
  ds.AddFloatField("QTPAXATE");
  ds.AddFloatField("QTSERVICO");
}

// Three ranges of one service: 1-20, 21-50, 51-9999.
inline packet::DataPacket ThreeRanges() {
  return RangePacket({{std::string("S1"), 1.0, 20.0, 2.0},
                      {std::string("S1"), 21.0, 50.0, 4.0},
                      {std::string("S1"), 51.0, 9999.0, 6.0}});
}

// The QTPAXDE values of the visible rows, e.g. "1 21 51".
inline std::string Lows(const toolkit::DataSet& ds) {
  std::string out;
  for (int i = 0; i < ds.ViewCount(); ++i) out += (out.empty() ? "" : " ") + ds.CellText(i, 1);
  return out;
}

}  // namespace testutil
