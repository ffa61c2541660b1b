#include "toolkit/data/DataSet.h"

#include <algorithm>
#include <exception>
#include <type_traits>

#include "toolkit/data/DataSource.h"
#include "toolkit/data/FloatText.h"

namespace toolkit {

DataSet::DataSet(Component* owner) : Component(owner) {}

DataSet::~DataSet() {
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->SetDataSet(nullptr);
}

void DataSet::Error(const std::string& what) const {
  throw EDatabaseError(Name().empty() ? what : Name() + ": " + what);
}

void DataSet::CheckActive() const {
  if (!Active()) Error("Cannot perform this operation on a closed dataset");
}

// --- fields ------------------------------------------------------------------

Field& DataSet::AddField(std::string name, packet::FieldType type, int size) {
  if (Active()) Error("Cannot add field '" + name + "' to an open dataset");
  if (name.empty()) Error("A field needs a name");
  if (FindField(name)) Error("Duplicate field name '" + name + "'");
  if (type == packet::FieldType::String && size <= 0) Error("String field '" + name + "' needs a size");
  if (type == packet::FieldType::Float) size = 0;
  fields_.push_back(std::make_unique<Field>(*this, std::move(name), type, size, FieldCount()));
  return *fields_.back();
}

Field* DataSet::FindField(std::string_view name) const {
  for (const auto& f : fields_)
    if (packet::SameFieldName(f->FieldName(), name)) return f.get();
  return nullptr;
}

Field& DataSet::FieldByName(std::string_view name) const {
  if (Field* f = FindField(name)) return *f;
  Error("Field '" + std::string(name) + "' not found");
}

// --- open and close ------------------------------------------------------------

void DataSet::SetActive(bool active) {
  if (active == Active()) return;
  if (active)
    Open();
  else
    Close();
}

void DataSet::Open() {
  if (Active()) return;
  InternalOpen();
}

void DataSet::InternalOpen() { OpenEmpty(); }

void DataSet::OpenEmpty() {
  if (fields_.empty()) Error("Cannot open a dataset without fields");
  records_.clear();
  deleted_.clear();
  view_.clear();
  cursor_ = -1;
  bof_ = eof_ = true;
  SetState(DataSetState::dsBrowse);
  if (filtered_) ApplyFilter();
  NotifyDataSetChanged();
}

void DataSet::Close() {
  if (!Active()) return;
  DropPending();
  InternalClose();
  records_.clear();
  deleted_.clear();
  view_.clear();
  filterActive_ = false;
  cursor_ = -1;
  bof_ = eof_ = true;
  SetState(DataSetState::dsInactive);
}

void DataSet::LoadPacket(packet::DataPacket&& packet) {
  // Everything is checked before anything changes.
  bool createFields = fields_.empty();
  std::vector<int> column = createFields ? CheckNewFields(packet) : MapPacketFields(packet);
  CheckPacketRows(packet);

  DropPending();
  if (Active()) SetState(DataSetState::dsInactive);
  if (createFields)
    for (const auto& def : packet.fields) AddField(def.name, def.type, def.size);
  records_.clear();
  deleted_.clear();
  TakeRows(packet, column);
  RenumberBase();
  filterActive_ = false;
  view_.clear();
  cursor_ = records_.empty() ? -1 : 0;
  bof_ = true;
  eof_ = records_.empty();
  SetState(DataSetState::dsBrowse);
  std::exception_ptr filterError;
  if (filtered_) {
    // A filter that no longer binds leaves the new contents loaded and
    // unfiltered; its error is raised once the load is complete.
    try {
      CompileFilter();
    } catch (...) {
      filterError = std::current_exception();
    }
    RebuildView();
    cursor_ = ViewCount() > 0 ? 0 : -1;
    eof_ = cursor_ < 0;
  }
  NotifyDataSetChanged();
  if (ViewCount() > 0) Fire(AfterScroll);
  if (filterError) std::rethrow_exception(filterError);
}

// Fields about to be created from the packet: named, sized, unique. The
// columns are then the packet's own, in order.
std::vector<int> DataSet::CheckNewFields(const packet::DataPacket& packet) const {
  std::vector<int> column;
  for (std::size_t i = 0; i < packet.fields.size(); ++i) {
    const auto& def = packet.fields[i];
    if (def.name.empty()) Error("Data packet field " + std::to_string(i + 1) + " has no name");
    if (def.type == packet::FieldType::String && def.size <= 0)
      Error("Data packet field '" + def.name + "' has no size");
    for (std::size_t j = 0; j < i; ++j)
      if (packet::SameFieldName(packet.fields[j].name, def.name))
        Error("Duplicate field name '" + def.name + "' in data packet");
    column.push_back(static_cast<int>(i));
  }
  return column;
}

// The packet column of every dataset field, matched by name and type.
std::vector<int> DataSet::MapPacketFields(const packet::DataPacket& packet) const {
  std::vector<int> column;
  for (const auto& f : fields_) {
    int c = packet.FieldIndex(f->FieldName());
    if (c < 0) Error("Field '" + f->FieldName() + "' not found in data packet");
    if (packet.fields[c].type != f->DataType())
      Error("Field '" + f->FieldName() + "' is " + packet::FieldTypeName(f->DataType()) +
            " but the data packet has it as " + packet::FieldTypeName(packet.fields[c].type));
    column.push_back(c);
  }
  return column;
}

void DataSet::AppendPacket(packet::DataPacket&& packet) {
  CheckActive();
  if (state_ != DataSetState::dsBrowse) Error("Cannot append data while a row is being edited");
  if (HasLoggedChanges()) Error("Cannot append data to a dataset with pending changes");
  const std::vector<int> column = MapPacketFields(packet);
  CheckPacketRows(packet);
  const Record* current = CurrentRecord();
  const int at = cursor_;
  TakeRows(packet, column);
  RenumberBase();
  RebuildView();
  RestoreCursor(current, at);
  NotifyDataSetChanged();
}

// Moves the packet's rows in as records after those there, in dataset
// field order.
void DataSet::TakeRows(packet::DataPacket& packet, const std::vector<int>& column) {
  bool identity = column.size() == packet.fields.size();
  for (std::size_t i = 0; identity && i < column.size(); ++i) identity = column[i] == static_cast<int>(i);
  // Strings are cut only where the packet allows longer text than the field.
  std::vector<int> cut;
  for (int i = 0; i < FieldCount(); ++i) {
    const auto& def = packet.fields[column[i]];
    if (fields_[i]->DataType() == packet::FieldType::String && (def.size <= 0 || def.size > fields_[i]->Size()))
      cut.push_back(i);
  }
  records_.reserve(records_.size() + packet.rows.size());
  for (auto& row : packet.rows) {
    auto rec = std::make_unique<Record>();
    if (identity) {
      rec->values = std::move(row);
    } else {
      rec->values.reserve(column.size());
      for (int c : column) rec->values.push_back(std::move(row[c]));
    }
    for (int i : cut)
      if (auto* v = std::get_if<std::string>(&rec->values[i])) FitToSize(*v, fields_[i]->Size());
    records_.push_back(std::move(rec));
  }
}

// Every row of the right length, every value null or of its field's type,
// so that nothing later reads a cell of the wrong kind.
static_assert(std::is_same_v<std::variant_alternative_t<1, packet::Value>, double> &&
              std::is_same_v<std::variant_alternative_t<2, packet::Value>, std::string>);

void DataSet::CheckPacketRows(const packet::DataPacket& packet) const {
  std::size_t width = packet.fields.size();
  // The variant index each column takes besides null (0): 1 double, 2 text.
  std::vector<std::size_t> kind(width);
  for (std::size_t c = 0; c < width; ++c) kind[c] = packet.fields[c].type == packet::FieldType::Float ? 1 : 2;
  for (std::size_t r = 0; r < packet.rows.size(); ++r) {
    const auto& row = packet.rows[r];
    if (row.size() != width) Error("Data packet row " + std::to_string(r + 1) + " has the wrong number of values");
    for (std::size_t c = 0; c < width; ++c) {
      std::size_t k = row[c].index();
      if (k != 0 && k != kind[c])
        Error("Data packet row " + std::to_string(r + 1) + ", field '" + packet.fields[c].name +
              "': value of the wrong type");
    }
  }
}

// --- state and notifications ------------------------------------------------

void DataSet::Fire(const NotifyEvent& event) {
  // A copy, so that a handler may reassign the event while it runs.
  if (auto handler = event) handler(*this);
}

void DataSet::SetState(DataSetState state) {
  if (state == state_) return;
  bool wasActive = Active();
  bool wasEditing = state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert;
  state_ = state;
  bool editing = state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert;
  for (DataSource* source : std::vector<DataSource*>(sources_)) source->StateChanged();
  if (wasActive != Active()) Notify(LinkEvent::ActiveChanged);
  if (wasEditing != editing) Notify(LinkEvent::EditingChanged);
}

void DataSet::Notify(LinkEvent event, Field* field, int distance) {
  if (sources_.empty()) return;
  if (ControlsDisabled() && event != LinkEvent::ActiveChanged && event != LinkEvent::EditingChanged) {
    changedWhileDisabled_ = true;
    return;
  }
  for (DataSource* source : std::vector<DataSource*>(sources_)) {
    for (DataLink* link : std::vector<DataLink*>(source->Links())) {
      switch (event) {
        case LinkEvent::ActiveChanged: link->ActiveChanged(); break;
        case LinkEvent::DataSetChanged: link->DataSetChanged(); break;
        case LinkEvent::Scrolled: link->DataSetScrolled(distance); break;
        case LinkEvent::RecordChanged: link->RecordChanged(field); break;
        case LinkEvent::EditingChanged: link->EditingChanged(); break;
      }
    }
  }
}

void DataSet::NotifyDataSetChanged() { Notify(LinkEvent::DataSetChanged); }

void DataSet::Scrolled(int oldCursor) { Notify(LinkEvent::Scrolled, nullptr, cursor_ - oldCursor); }

void DataSet::DisableControls() { ++disableCount_; }

void DataSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ == 0 && changedWhileDisabled_) {
    changedWhileDisabled_ = false;
    NotifyDataSetChanged();
  }
}

void DataSet::AttachSource(DataSource* source) {
  if (std::find(sources_.begin(), sources_.end(), source) == sources_.end()) sources_.push_back(source);
}

void DataSet::DetachSource(DataSource* source) {
  sources_.erase(std::remove(sources_.begin(), sources_.end(), source), sources_.end());
}

void DataSet::UpdateRecord() {
  for (DataSource* source : std::vector<DataSource*>(sources_))
    for (DataLink* link : std::vector<DataLink*>(source->Links())) link->UpdateData();
}

void DataSet::FocusField(Field& field) {
  bool handled = false;
  for (DataSource* source : std::vector<DataSource*>(sources_))
    for (DataLink* link : std::vector<DataLink*>(source->Links())) {
      link->FocusControl(field, handled);
      if (handled) return;
    }
}

// --- rows and the view ---------------------------------------------------------

int DataSet::ViewCount() const {
  return static_cast<int>(filterActive_ ? view_.size() : records_.size());
}

DataSet::Record* DataSet::ViewAt(int index) const {
  return filterActive_ ? view_[index] : records_[index];
}

DataSet::Record* DataSet::CurrentRecord() const { return cursor_ >= 0 ? ViewAt(cursor_) : nullptr; }

int DataSet::RecordIndex(const Record* record) const {
  return static_cast<int>(records_.index_of(record));
}

int DataSet::RecordCount() const { return ViewCount() - (pending_ ? 1 : 0); }

bool DataSet::IsEmpty() const { return ViewCount() == 0; }

const packet::Row& DataSet::ViewRow(int index) const {
  if (index < 0 || index >= ViewCount()) Error("Row " + std::to_string(index) + " out of range");
  bool open = state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert;
  if (open && index == cursor_) return buffer_;
  return ViewAt(index)->values;
}

std::string DataSet::CellText(int index, int field) const {
  const packet::Value& v = ViewRow(index).at(field);
  if (auto* s = std::get_if<std::string>(&v)) return *s;
  if (auto* d = std::get_if<double>(&v)) return FloatToText(*d);
  return {};
}

const packet::Value* DataSet::ActiveValue(int field) const {
  if (cursor_ < 0) return nullptr;
  bool open = state_ == DataSetState::dsEdit || state_ == DataSetState::dsInsert;
  return open ? &buffer_[field] : &ViewAt(cursor_)->values[field];
}

const packet::Value* DataSet::StoredValue(int field) const {
  if (cursor_ < 0 || ViewAt(cursor_) == pending_) return nullptr;
  return &ViewAt(cursor_)->values[field];
}

void DataSet::RenumberBase() {
  std::int64_t pos = 0;
  for (Record* rec : records_) {
    rec->basePos = pos++;
    rec->seq = 0;
  }
}

void DataSet::RestoreCursor(const Record* target, int fallbackIndex) {
  int n = ViewCount();
  cursor_ = -1;
  for (int i = 0; target && i < n; ++i)
    if (ViewAt(i) == target) cursor_ = i;
  if (cursor_ < 0 && n > 0) cursor_ = std::clamp(fallbackIndex, 0, n - 1);
  bof_ = eof_ = n == 0;
}

// --- filter ------------------------------------------------------------------

bool DataSet::PassesFilter(const Record& record) const {
  return !filter_ || !filter_->IsBound() || filter_->Matches(record.values);
}

void DataSet::RebuildView() {
  view_.clear();
  filterActive_ = filtered_ && filter_ && filter_->IsBound() && !filter_->IsBlank();
  if (!filterActive_) return;
  for (Record* rec : records_)
    if (rec == pending_ || filter_->Matches(rec->values)) view_.push_back(rec);
}

void DataSet::CompileFilter() {
  try {
    if (!filter_ || filter_->Text() != filterText_) {
      filter_.reset();
      filter_ = FilterExpression::Parse(filterText_);
    }
    filter_->Bind([this](std::string_view name) -> std::optional<FilterExpression::FieldInfo> {
      if (Field* f = FindField(name)) return FilterExpression::FieldInfo{f->Index(), f->DataType()};
      return std::nullopt;
    });
  } catch (...) {
    filtered_ = false;
    RebuildView();
    throw;
  }
}

void DataSet::SetFilter(std::string text) {
  if (text == filterText_) return;
  filterText_ = std::move(text);
  if (Active() && filtered_) ApplyFilter();
}

void DataSet::SetFiltered(bool filtered) {
  if (filtered == filtered_) return;
  if (!Active()) {
    filtered_ = filtered;
    return;
  }
  if (filtered) {
    filtered_ = true;
    ApplyFilter();
  } else {
    RemoveFilter();
  }
}

void DataSet::ApplyFilter() {
  CheckBrowseMode();
  bool wasFiltered = filterActive_;
  try {
    CompileFilter();
  } catch (...) {
    // The dataset is unfiltered now; a view that was filtered moves.
    if (wasFiltered) {
      Fire(BeforeScroll);
      PlaceAfterFilterChange();
    }
    throw;
  }
  Fire(BeforeScroll);
  RebuildView();
  PlaceAfterFilterChange();
}

void DataSet::RemoveFilter() {
  CheckBrowseMode();
  Fire(BeforeScroll);
  filtered_ = false;
  RebuildView();
  PlaceAfterFilterChange();
}

void DataSet::PlaceAfterFilterChange() {
  cursor_ = ViewCount() > 0 ? 0 : -1;
  bof_ = true;
  eof_ = cursor_ < 0;
  NotifyDataSetChanged();
  Fire(AfterScroll);
}

}  // namespace toolkit
