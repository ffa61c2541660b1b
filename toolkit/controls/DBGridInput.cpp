// Keys and typing in the grid (the rules are in DBGrid.h).
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Chars.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DialogService.h"

namespace toolkit {

namespace {

bool Editing(const DataSet& ds) { return ds.State() == DataSetState::dsEdit || ds.State() == DataSetState::dsInsert; }

// What a number can be typed with; anything else never reaches the cell.
bool NumberChar(char32_t c) { return (c >= U'0' && c <= U'9') || c == U'-' || c == U'+' || c == U','; }

}  // namespace

bool DBGrid::HandleKeyDown(Word& key, ShiftState shift) {
  toolkit::DataSet* ds = DataSet();
  if (!ds || !ds->Active()) return false;
  bool ctrl = (shift & ssCtrl) != 0;
  switch (key) {
    case VK_TAB:
      if (ctrl || !(options_ & dgTabs)) return false;
      StepColumn((shift & ssShift) ? -1 : 1, true);
      return true;
    case VK_LEFT: StepColumn(-1, false); return true;
    case VK_RIGHT: StepColumn(1, false); return true;
    case VK_UP: MoveRow(-1); return true;
    case VK_DOWN: DownKey(); return true;
    case VK_PRIOR: MoveRow(-kPageRows); return true;
    case VK_NEXT: MoveRow(kPageRows); return true;
    case VK_HOME:
      if (ctrl) MoveRow(-Row());
      else MoveColumn(0);
      return true;
    case VK_END:
      if (ctrl) MoveRow(RowCount() - 1 - Row());
      else MoveColumn(ColumnCount() - 1);
      return true;
    case VK_INSERT:
      if (shift == 0 && (options_ & dgEditing) && !readOnly_) {
        WritePending();
        ds->Insert();
      }
      return true;
    case VK_ESCAPE: CancelKey(); return true;
    case VK_DELETE:
      if (ctrl) DeleteRow();
      return true;
    default: return false;
  }
}

void DBGrid::HandleChar(char32_t key) {
  if (key == 13) return WritePending();
  if (key == 8) return BackspaceInCell();
  if (key < 32) return;
  TypeIntoCell(key);
}

void DBGrid::TypeIntoCell(char32_t key) {
  if (!CanEditCell()) return;
  toolkit::DataSet* ds = DataSet();
  const Column& column = Columns(selected_);
  toolkit::Field* field = column.Field();
  const bool number = field->DataType() == packet::FieldType::Float && field->EditMask().empty();
  if (number && !NumberChar(key)) return;
  if (!Editing(*ds)) ds->Edit();
  if (!Editing(*ds)) return;
  if (!pending_.active || pending_.selected) StartPending(column);
  if (pending_.masked) {
    if (!pending_.masked->Type(key)) return;
    pending_.text = pending_.masked->Value();
  } else {
    bool isString = field->DataType() == packet::FieldType::String;
    if (isString && field->Size() > 0 && static_cast<int>(DecodeUtf8(pending_.text).size()) >= field->Size()) return;
    AppendUtf8(pending_.text, key);
  }
  Changed(Change::GridCell);
}

void DBGrid::BackspaceInCell() {
  if (!CanEditCell()) return;
  toolkit::DataSet* ds = DataSet();
  const Column& column = Columns(selected_);
  if (!Editing(*ds)) ds->Edit();
  if (!Editing(*ds)) return;
  if (pending_.selected) {
    StartPending(column);
    Changed(Change::GridCell);
    return;
  }
  if (!pending_.active) {
    // Editing the shown value: it becomes the pending text, less one character.
    std::string current = column.Field()->Text();
    StartPending(column);
    if (pending_.masked) pending_.masked->SetValue(current);
    pending_.text = current;
  }
  if (pending_.masked) {
    pending_.masked->CaretToEnd();
    pending_.masked->Backspace();
    pending_.text = pending_.masked->Value();
  } else {
    std::u32string chars = DecodeUtf8(pending_.text);
    if (!chars.empty()) chars.pop_back();
    pending_.text = EncodeUtf8(chars);
  }
  Changed(Change::GridCell);
}

void DBGrid::MoveRow(int distance) {
  WritePending();
  DataSet()->MoveBy(distance);
}

void DBGrid::StepColumn(int step, bool wrap) {
  int count = ColumnCount();
  if (count == 0) return;
  int next = selected_ + step;
  if (next >= 0 && next < count) return MoveColumn(next);
  if (!wrap) return;
  toolkit::DataSet* ds = DataSet();
  if (step > 0) {
    if (Row() >= RowCount() - 1) {
      DownKey();
      if (Row() >= RowCount() - 1 && ds->State() != DataSetState::dsInsert) return;
    } else {
      MoveRow(1);
    }
    MoveColumn(0);
  } else {
    if (Row() <= 0) return;
    MoveRow(-1);
    MoveColumn(count - 1);
  }
}

void DBGrid::DownKey() {
  toolkit::DataSet* ds = DataSet();
  WritePending();
  if (Row() < RowCount() - 1) return ds->Next();
  if (!(options_ & dgEditing) || readOnly_) return;
  if (ds->State() == DataSetState::dsInsert && !ds->Modified()) return;  // already on a fresh row
  ds->Append();
}

void DBGrid::CancelKey() {
  DropPending();
  toolkit::DataSet* ds = DataSet();
  if (Editing(*ds)) ds->Cancel();
}

void DBGrid::DeleteRow() {
  toolkit::DataSet* ds = DataSet();
  if (!(options_ & dgEditing) || readOnly_ || ds->IsEmpty()) return;
  if ((options_ & dgConfirmDelete) && !Application::Instance().Dialogs().Confirm("Excluir registro?")) return;
  DropPending();
  if (ds->State() == DataSetState::dsInsert) ds->Cancel();
  else ds->Delete();
}

}  // namespace toolkit
