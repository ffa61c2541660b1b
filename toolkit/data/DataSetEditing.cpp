// Insert, edit, post, cancel and delete of DataSet, with the change log.
#include <algorithm>

#include "toolkit/data/DataSet.h"

namespace toolkit {

namespace {
bool IsOpenState(DataSetState s) { return s == DataSetState::dsEdit || s == DataSetState::dsInsert; }
}  // namespace

// A Before... handler that opened, posted, cancelled or reloaded this same
// dataset has pulled the row from under the operation; going on would store
// into the wrong row.
void DataSet::CheckUnchangedBy(const char* operation, DataSetState expected) const {
  if (state_ != expected)
    Error(std::string("The dataset was changed by an event handler during ") + operation);
}

void DataSet::CheckBrowseMode() {
  CheckActive();
  if (!IsOpenState(state_)) return;
  UpdateRecord();
  if (modified_)
    Post();
  else
    Cancel();
}

void DataSet::Insert() { OpenNewRow(false); }

void DataSet::Append() { OpenNewRow(true); }

// Insert (before the current row) and Append (after the last) differ only
// in where the new row goes.
void DataSet::OpenNewRow(bool atEnd) {
  CheckActive();
  CheckBrowseMode();
  Fire(BeforeInsert);
  Fire(BeforeScroll);
  CheckUnchangedBy("insert", DataSetState::dsBrowse);
  auto rec = std::make_unique<Record>();
  rec->status = RowStatus::Inserted;
  pending_ = rec.get();
  int at = atEnd ? ViewCount() : std::max(cursor_, 0);
  if (filterActive_) {
    // Before the record that is current in the view, in dataset order too.
    int before = at < ViewCount() ? RecordIndex(view_[at]) : static_cast<int>(records_.size());
    records_.insert(before, std::move(rec));
    view_.insert(view_.begin() + at, pending_);
  } else {
    records_.insert(at, std::move(rec));
  }
  int old = cursor_;
  cursor_ = at;
  buffer_.assign(fields_.size(), packet::Value{});
  modified_ = false;
  bof_ = eof_ = false;
  SetState(DataSetState::dsInsert);
  NotifyDataSetChanged();
  Scrolled(old);
  Fire(AfterInsert);
  Fire(AfterScroll);
}

void DataSet::Edit() {
  CheckActive();
  if (IsOpenState(state_)) return;
  if (IsEmpty()) {
    Insert();
    return;
  }
  Fire(BeforeEdit);
  CheckUnchangedBy("edit", DataSetState::dsBrowse);
  if (IsEmpty()) Error("The dataset was emptied by a handler during edit");
  buffer_ = CurrentRecord()->values;
  modified_ = false;
  SetState(DataSetState::dsEdit);
  Fire(AfterEdit);
}

void DataSet::SetFieldValue(Field& field, packet::Value value) {
  if (!IsOpenState(state_)) Error("Dataset not in edit or insert mode (field '" + field.FieldName() + "')");
  if (field.ReadOnly()) Error("Field '" + field.FieldName() + "' cannot be modified");
  buffer_[field.Index()] = std::move(value);
  modified_ = true;
  Notify(LinkEvent::RecordChanged, &field);
  if (auto handler = field.OnChange) handler(field);
}

void DataSet::Post() {
  CheckActive();
  if (!IsOpenState(state_)) return;
  UpdateRecord();
  DataSetState posting = state_;
  Fire(BeforePost);
  CheckUnchangedBy("post", posting);
  if (state_ == DataSetState::dsInsert)
    PostInsert();
  else
    PostEdit();
  modified_ = false;
  SetState(DataSetState::dsBrowse);
  NotifyDataSetChanged();
  Fire(AfterPost);
}

bool DataSet::HasLoggedChanges() const {
  if (!deleted_.empty()) return true;
  for (Record* rec : records_)
    if (rec != pending_ && rec->status != RowStatus::Unmodified) return true;
  return false;
}

// An unlogged change becomes part of the base. With nothing logged the base
// is simply the current order; otherwise the row is placed right after the
// base row before it, so that CancelUpdates keeps it there.
void DataSet::StoreUnlogged(Record& record, int index) {
  record.status = RowStatus::Unmodified;
  if (!HasLoggedChanges()) {
    RenumberBase();
    return;
  }
  record.basePos = index > 0 ? records_[index - 1]->basePos : -1;
  record.seq = ++seqCounter_;
}

void DataSet::PostInsert() {
  Record* rec = pending_;
  rec->values = std::move(buffer_);
  pending_ = nullptr;
  if (logChanges_)
    rec->status = RowStatus::Inserted;
  else
    StoreUnlogged(*rec, RecordIndex(rec));
  if (filterActive_ && !filter_->Matches(rec->values)) RemoveFromView(rec);
}

void DataSet::PostEdit() {
  Record* rec = CurrentRecord();
  if (buffer_ != rec->values) {
    if (logChanges_ && rec->status == RowStatus::Unmodified) {
      rec->original = std::move(rec->values);
      rec->status = RowStatus::Modified;
    }
    rec->values = std::move(buffer_);
    // Edited back to the base values: nothing is pending for the row.
    if (rec->status == RowStatus::Modified && rec->values == rec->original) {
      rec->status = RowStatus::Unmodified;
      rec->original.clear();
    }
  }
  buffer_.clear();
  if (filterActive_ && !filter_->Matches(rec->values)) RemoveFromView(rec);
}

void DataSet::RemoveFromView(Record* record) {
  auto it = std::find(view_.begin(), view_.end(), record);
  if (it == view_.end()) return;
  view_.erase(it);
  int n = ViewCount();
  if (cursor_ >= n) cursor_ = n - 1;
  eof_ = n == 0;
}

void DataSet::Cancel() {
  CheckActive();
  if (!IsOpenState(state_)) return;
  DataSetState cancelling = state_;
  Fire(BeforeCancel);
  CheckUnchangedBy("cancel", cancelling);
  if (state_ == DataSetState::dsInsert) {
    Fire(BeforeScroll);
    CheckUnchangedBy("cancel", cancelling);
    int old = cursor_;
    DropPending();
    modified_ = false;
    SetState(DataSetState::dsBrowse);
    NotifyDataSetChanged();
    Scrolled(old);
    Fire(AfterCancel);
    Fire(AfterScroll);
    return;
  }
  buffer_.clear();
  modified_ = false;
  SetState(DataSetState::dsBrowse);
  Notify(LinkEvent::RecordChanged);
  Fire(AfterCancel);
}

// Forgets the open row without events: the inserted record goes away, the
// edit buffer is dropped. The state is left to the caller.
void DataSet::DropPending() {
  buffer_.clear();
  modified_ = false;
  if (!pending_) return;
  Record* rec = pending_;
  pending_ = nullptr;
  int index = cursor_;
  if (filterActive_) {
    view_.erase(std::find(view_.begin(), view_.end(), rec));
    index = RecordIndex(rec);
  }
  records_.erase(index);
  int n = ViewCount();
  if (cursor_ >= n) cursor_ = n - 1;
  bof_ = eof_ = n == 0;
}

void DataSet::Delete() {
  CheckActive();
  if (state_ == DataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (IsEmpty()) Error("Cannot perform this operation on an empty dataset");
  DataSetState deleting = state_;
  Fire(BeforeDelete);
  Fire(BeforeScroll);
  CheckUnchangedBy("delete", deleting);
  if (IsEmpty()) Error("The dataset was emptied by a handler during delete");
  Record* rec = CurrentRecord();
  buffer_.clear();
  modified_ = false;
  int old = cursor_;
  LogDelete(*rec);
  int index = cursor_;
  if (filterActive_) {
    view_.erase(view_.begin() + cursor_);
    index = RecordIndex(rec);
  }
  records_.erase(index);
  int n = ViewCount();
  if (cursor_ >= n) cursor_ = n - 1;
  bof_ = eof_ = n == 0;
  SetState(DataSetState::dsBrowse);
  NotifyDataSetChanged();
  Scrolled(old);
  Fire(AfterDelete);
  Fire(AfterScroll);
}

void DataSet::LogDelete(Record& record) {
  if (!logChanges_ || record.status == RowStatus::Inserted) return;
  Record gone;
  gone.values = record.status == RowStatus::Modified ? std::move(record.original) : std::move(record.values);
  gone.basePos = record.basePos;
  gone.seq = record.seq;
  deleted_.push_back(std::move(gone));
}

}  // namespace toolkit
