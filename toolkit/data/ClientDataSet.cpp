#include "toolkit/data/ClientDataSet.h"

#include <algorithm>

#include "packet/ChangeLogWriter.h"

namespace toolkit {

ClientDataSet::ClientDataSet(Component* owner) : DataSet(owner) { logChanges_ = true; }

void ClientDataSet::SetData(packet::DataPacket packet) { LoadPacket(std::move(packet)); }

void ClientDataSet::InternalOpen() {
  if (providerName_.empty() || !remoteServer_) Error("Missing data provider or data packet");
  LoadPacket(remoteServer_->FetchData(providerName_));
}

void ClientDataSet::CreateDataSet() {
  if (FieldCount() == 0) Error("Cannot create a dataset without field definitions");
  if (Active()) Close();
  OpenEmpty();
}

void ClientDataSet::EmptyDataSet() {
  CheckActive();
  CheckBrowseMode();
  records_.clear();
  deleted_.clear();
  RebuildView();
  RestoreCursor(nullptr, -1);
  NotifyDataSetChanged();
}

packet::DataPacket ClientDataSet::Data() const {
  packet::DataPacket p;
  for (int i = 0; i < FieldCount(); ++i) {
    const Field& f = Fields(i);
    p.fields.push_back({f.FieldName(), f.DataType(), f.Size()});
  }
  p.rows.reserve(records_.size());
  const Record* open = OpenInsert();
  for (Record* rec : records_)
    if (rec != open) p.rows.push_back(rec->values);
  return p;
}

const DataSet::Record* ClientDataSet::OpenInsert() const {
  return State() == DataSetState::dsInsert ? CurrentRecord() : nullptr;
}

// The one walk over the pending changes, in Delta's order, shared by both
// forms of the delta so that they cannot drift apart.
template <class Visit>
void ClientDataSet::ForEachChange(Visit&& visit) const {
  for (const auto& gone : deleted_) visit(packet::ChangeOp::Delete, &gone.values, nullptr);
  const Record* open = OpenInsert();
  for (Record* rec : records_) {
    if (rec == open) continue;
    if (rec->status == RowStatus::Inserted)
      visit(packet::ChangeOp::Insert, nullptr, &rec->values);
    else if (rec->status == RowStatus::Modified)
      visit(packet::ChangeOp::Modify, &rec->original, &rec->values);
  }
}

packet::Record ClientDataSet::MakeRecord(const packet::Row& values) const {
  packet::Record r;
  r.reserve(values.size());
  for (int i = 0; i < FieldCount(); ++i) r.emplace_back(Fields(i).FieldName(), values[i]);
  return r;
}

packet::ChangeLog ClientDataSet::Delta() const {
  packet::ChangeLog log;
  log.changes.reserve(static_cast<std::size_t>(ChangeCount()));
  ForEachChange([&](packet::ChangeOp op, const packet::Row* oldValues, const packet::Row* newValues) {
    log.changes.push_back(
        {op, oldValues ? MakeRecord(*oldValues) : packet::Record{}, newValues ? MakeRecord(*newValues) : packet::Record{}});
  });
  return log;
}

std::string ClientDataSet::DeltaJson() const {
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(FieldCount()));
  for (int i = 0; i < FieldCount(); ++i) names.push_back(Fields(i).FieldName());
  packet::ChangeLogWriter writer(names);
  writer.Reserve(static_cast<std::size_t>(ChangeCount()));
  ForEachChange([&](packet::ChangeOp op, const packet::Row* oldValues, const packet::Row* newValues) {
    switch (op) {
      case packet::ChangeOp::Delete: writer.Delete(*oldValues); break;
      case packet::ChangeOp::Insert: writer.Insert(*newValues); break;
      case packet::ChangeOp::Modify: writer.Modify(*oldValues, *newValues); break;
    }
  });
  return writer.Finish();
}

int ClientDataSet::ChangeCount() const {
  const Record* open = OpenInsert();
  int n = static_cast<int>(deleted_.size());
  for (Record* rec : records_)
    if (rec != open && rec->status != RowStatus::Unmodified) ++n;
  return n;
}

void ClientDataSet::MergeChangeLog() {
  const Record* open = OpenInsert();
  for (Record* rec : records_) {
    if (rec == open) continue;
    rec->status = RowStatus::Unmodified;
    rec->original.clear();
  }
  deleted_.clear();
  RenumberBase();
}

void ClientDataSet::CancelUpdates() {
  CheckActive();
  Cancel();
  const Record* current = CurrentRecord();
  if (current && current->status == RowStatus::Inserted) current = nullptr;  // it goes away
  int index = CurrentIndex();
  std::vector<std::unique_ptr<Record>> kept;
  kept.reserve(records_.size() + deleted_.size());
  for (auto& rec : records_.take_all()) {
    if (rec->status == RowStatus::Inserted) continue;
    if (rec->status == RowStatus::Modified) {
      rec->values = std::move(rec->original);
      rec->original.clear();
      rec->status = RowStatus::Unmodified;
    }
    kept.push_back(std::move(rec));
  }
  for (auto& gone : deleted_) kept.push_back(std::make_unique<Record>(std::move(gone)));
  deleted_.clear();
  auto inBaseOrder = [](const auto& a, const auto& b) {
    return a->basePos != b->basePos ? a->basePos < b->basePos : a->seq < b->seq;
  };
  // Without deletes to put back the rows are mostly in order already.
  if (!std::is_sorted(kept.begin(), kept.end(), inBaseOrder)) std::stable_sort(kept.begin(), kept.end(), inBaseOrder);
  records_.assign(std::move(kept));
  RenumberBase();
  RebuildView();
  RestoreCursor(current, index);
  NotifyDataSetChanged();
}

}  // namespace toolkit
