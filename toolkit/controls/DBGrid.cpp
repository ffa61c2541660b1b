// Columns, the link to the dataset, selection and pending text of the grid.
#include "toolkit/controls/DBGrid.h"

#include <stdexcept>

#include "packet/Value.h"

namespace toolkit {

// --- Column ------------------------------------------------------------------

Column::Column(DBGrid& grid, std::string fieldName) : grid_(grid), fieldName_(std::move(fieldName)) {}

toolkit::Field* Column::Field() const {
  toolkit::DataSet* ds = grid_.DataSet();
  return ds ? ds->FindField(fieldName_) : nullptr;
}

std::string Column::Title() const {
  if (!title_.empty()) return title_;
  toolkit::Field* field = Field();
  return field ? field->DisplayLabel() : fieldName_;
}

void Column::SetTitle(std::string title) {
  title_ = std::move(title);
  grid_.ColumnsChanged();
}

int Column::Width() const {
  if (width_ >= 0) return width_;
  toolkit::Field* field = Field();
  return (field ? field->DisplayWidth() : 10) * 7 + 4;
}

void Column::SetWidth(int width) {
  width_ = width;
  grid_.ColumnsChanged();
}

void Column::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  grid_.ColumnsChanged();
}

void Column::SetButtonStyle(toolkit::ButtonStyle style) {
  if (style == buttonStyle_) return;
  buttonStyle_ = style;
  grid_.ColumnsChanged();
}

// --- link --------------------------------------------------------------------

void DBGrid::Link::ActiveChanged() {
  grid_.DropPending();
  grid_.RebuildDefaultColumns();
  grid_.Changed(Change::GridLayout);
  grid_.Changed(Change::GridData);
}

void DBGrid::Link::DataSetChanged() { grid_.Changed(Change::GridData); }

void DBGrid::Link::DataSetScrolled(int) {
  // The dataset wrote or dropped the open row before it moved.
  grid_.DropPending();
  grid_.Changed(Change::GridRow);
}

void DBGrid::Link::RecordChanged(toolkit::Field* field) {
  // A value written under the pending text wins: the cell shows it.
  if (!field || field == grid_.SelectedField()) grid_.DropPending();
  grid_.Changed(Change::GridData);
}

void DBGrid::Link::EditingChanged() {
  toolkit::DataSet* ds = grid_.DataSet();
  if (!ds || ds->State() == DataSetState::dsBrowse || ds->State() == DataSetState::dsInactive) grid_.DropPending();
  grid_.Changed(Change::GridData);
}

void DBGrid::Link::FocusControl(toolkit::Field& field, bool& handled) {
  int column = grid_.ColumnOf(field.FieldName());
  if (column < 0 || !grid_.CanFocus()) return;
  grid_.SetFocus();
  grid_.SetSelectedIndex(column);
  handled = true;
}

// --- grid --------------------------------------------------------------------

DBGrid::DBGrid(Component* owner) : Control(owner) {}

DBGrid::~DBGrid() = default;

void DBGrid::SetOptions(GridOptions options) {
  options_ = options;
  Changed(Change::GridLayout);
}

Column& DBGrid::AddColumn(std::string fieldName) {
  columns_.push_back(std::make_unique<Column>(*this, std::move(fieldName)));
  autoColumns_.clear();
  Changed(Change::GridLayout);
  return *columns_.back();
}

int DBGrid::ColumnCount() const { return static_cast<int>(columns_.empty() ? autoColumns_.size() : columns_.size()); }

Column& DBGrid::Columns(int index) const {
  const auto& list = columns_.empty() ? autoColumns_ : columns_;
  if (index < 0 || index >= static_cast<int>(list.size()))
    throw std::out_of_range("Grid '" + Name() + "': no column " + std::to_string(index));
  return *list[index];
}

int DBGrid::ColumnOf(std::string_view fieldName) const {
  for (int i = 0; i < ColumnCount(); ++i)
    if (packet::SameFieldName(Columns(i).FieldName(), fieldName)) return i;
  return -1;
}

void DBGrid::RebuildDefaultColumns() {
  if (!columns_.empty()) return;
  autoColumns_.clear();
  if (toolkit::DataSet* ds = DataSet())
    for (int i = 0; i < ds->FieldCount(); ++i)
      if (ds->Fields(i).Visible()) autoColumns_.push_back(std::make_unique<Column>(*this, ds->Fields(i).FieldName()));
  if (selected_ >= ColumnCount()) selected_ = ColumnCount() > 0 ? ColumnCount() - 1 : 0;
}

int DBGrid::SelectedIndex() const { return ColumnCount() == 0 ? -1 : selected_; }

void DBGrid::SetSelectedIndex(int index) { MoveColumn(index); }

toolkit::Field* DBGrid::SelectedField() const {
  int index = SelectedIndex();
  return index < 0 ? nullptr : Columns(index).Field();
}

void DBGrid::SetSelectedField(toolkit::Field* field) {
  if (!field) return;
  int column = ColumnOf(field->FieldName());
  if (column >= 0) MoveColumn(column);
}

int DBGrid::Row() const {
  toolkit::DataSet* ds = DataSet();
  return ds && ds->Active() ? ds->CurrentIndex() : -1;
}

int DBGrid::RowCount() const {
  toolkit::DataSet* ds = DataSet();
  return ds && ds->Active() ? ds->ViewCount() : 0;
}

std::string DBGrid::CellText(int row, int column) const {
  if (row == Row() && column == SelectedIndex() && pending_.active)
    return pending_.masked ? pending_.masked->Display() : pending_.text;
  toolkit::Field* field = Columns(column).Field();
  toolkit::DataSet* ds = DataSet();
  if (!field || !ds || !ds->Active() || row < 0 || row >= ds->ViewCount()) return "";
  return ds->CellText(row, field->Index());
}

void DBGrid::RowsShown(int lastShown) {
  const int rows = RowCount();
  if (rows > 0 && lastShown >= rows - 1) Fire(OnLastRowShown, *this);
}

bool DBGrid::CanEditCell() const {
  toolkit::DataSet* ds = DataSet();
  if (!ds || !ds->Active() || !(options_ & dgEditing) || readOnly_ || SelectedIndex() < 0) return false;
  const Column& column = Columns(selected_);
  toolkit::Field* field = column.Field();
  return field && !column.ReadOnly() && !field->ReadOnly();
}

void DBGrid::DropPending() {
  if (!pending_.active) return;
  pending_.active = false;
  pending_.selected = false;
  pending_.text.clear();
  pending_.masked.reset();
  pending_.mask.reset();
  Changed(Change::GridCell);
}

void DBGrid::StartPending(const Column& column) {
  pending_.active = true;
  pending_.selected = false;
  pending_.text.clear();
  pending_.masked.reset();
  pending_.mask.reset();
  toolkit::Field* field = column.Field();
  if (field && !field->EditMask().empty()) {
    pending_.mask = std::make_unique<EditMask>(field->EditMask());
    pending_.masked = std::make_unique<MaskedText>(*pending_.mask);
  }
}

void DBGrid::WritePending() {
  if (!pending_.active) return;
  toolkit::Field* field = SelectedField();
  if (!field) return DropPending();
  std::string text = pending_.text;
  try {
    field->SetText(text);
  } catch (...) {
    // Bad number text stays pending, selected: the next key replaces it.
    pending_.selected = true;
    Changed(Change::GridCell);
    throw;
  }
  DropPending();
}

void DBGrid::MoveColumn(int index) {
  if (index == selected_ || index < 0 || index >= ColumnCount()) return;
  WritePending();
  int old = selected_;
  if (!inColExit_) {
    inColExit_ = true;
    try {
      Fire(OnColExit, *this);
    } catch (...) {
      inColExit_ = false;
      throw;
    }
    inColExit_ = false;
    if (selected_ != old) return;  // the handler chose another column itself
  }
  selected_ = index;
  Changed(Change::GridColumn);
  Fire(OnColEnter, *this);
}

void DBGrid::DoExit() {
  toolkit::DataSet* ds = DataSet();
  if (ds && ds->Active()) {
    bool untouched = ds->State() == DataSetState::dsInsert && !ds->Modified() && !pending_.active;
    if ((options_ & dgCancelOnExit) && untouched) ds->Cancel();
    else WritePending();
  }
  Control::DoExit();
}

void DBGrid::ClickCell(int row, int column) {
  toolkit::DataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  if (row >= 0 && row < RowCount() && row != Row()) {
    WritePending();
    ds->MoveBy(row - Row());
  }
  if (column >= 0 && column < ColumnCount()) MoveColumn(column);
}

void DBGrid::EditButtonClick() {
  if (SelectedIndex() < 0 || Columns(selected_).ButtonStyle() != toolkit::ButtonStyle::cbsEllipsis) return;
  Fire(OnEditButtonClick, *this);
}

}  // namespace toolkit
