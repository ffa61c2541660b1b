#pragma once
// A data-aware grid: one row per row of the dataset of its data source, one
// column per field shown.
//
// Typing a character that the key handlers let through puts a stored row
// into edit and starts the cell's pending text (the first character typed
// into a cell replaces its content) or extends it; the field's edit mask
// applies, and a number field takes only digits, the signs and the decimal
// comma. A pending text refused when written stays, selected, so that the
// next character or Backspace replaces it. The pending text is written into the field when the dataset is
// posted, when the column or the row changes and on Enter; once written,
// the next character starts a new pending text. On a column change it is
// written first, then OnColExit runs (a refusal keeps the column, with the
// value written), then OnColEnter. Keys: Tab (with the tabs option), Left
// and Right change column; Up, Down, Page Up and Page Down move the row
// (the dataset posts first and a refused post stops the move); Down on the
// last row appends; Insert inserts; Esc drops the pending text and cancels;
// Ctrl+Delete asks "Excluir registro?" (with the confirm-delete option) and
// deletes. With cancel-on-exit, leaving the grid cancels an inserted row
// nobody typed into; otherwise leaving writes the pending text.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/controls/Control.h"
#include "toolkit/controls/EditMask.h"
#include "toolkit/data/DataSource.h"

namespace toolkit {

class DBGrid;

enum class ButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

enum GridOption : unsigned {
  dgEditing = 1u << 0,
  dgAlwaysShowEditor = 1u << 1,
  dgTitles = 1u << 2,
  dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4,
  dgColLines = 1u << 5,
  dgRowLines = 1u << 6,
  dgTabs = 1u << 7,
  dgRowSelect = 1u << 8,
  dgAlwaysShowSelection = 1u << 9,
  dgConfirmDelete = 1u << 10,
  dgCancelOnExit = 1u << 11,
};
using GridOptions = unsigned;

class Column {
 public:
  Column(DBGrid& grid, std::string fieldName);

  const std::string& FieldName() const { return fieldName_; }
  // The field of the grid's dataset with that name, or nullptr.
  toolkit::Field* Field() const;
  // The field's display label unless set.
  std::string Title() const;
  void SetTitle(std::string title);
  // Pixels; by default from the field's display width.
  int Width() const;
  void SetWidth(int width);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  toolkit::ButtonStyle ButtonStyle() const { return buttonStyle_; }
  void SetButtonStyle(toolkit::ButtonStyle style);

 private:
  DBGrid& grid_;
  std::string fieldName_;
  std::string title_;
  int width_ = -1;
  bool readOnly_ = false;
  toolkit::ButtonStyle buttonStyle_ = toolkit::ButtonStyle::cbsAuto;
};

class DBGrid : public Control {
 public:
  static constexpr GridOptions kDefaultOptions =
      dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgConfirmDelete |
      dgCancelOnExit;
  static constexpr int kPageRows = 10;

  explicit DBGrid(Component* owner = nullptr);
  ~DBGrid() override;

  toolkit::DataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(toolkit::DataSource* source) { link_.SetDataSource(source); }
  toolkit::DataSet* DataSet() const { return link_.DataSet(); }

  GridOptions Options() const { return options_; }
  void SetOptions(GridOptions options);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

  // Columns: those added, or else one per visible field of the dataset.
  Column& AddColumn(std::string fieldName);
  int ColumnCount() const;
  Column& Columns(int index) const;
  // Index of the column showing that field (case-insensitive), or -1.
  int ColumnOf(std::string_view fieldName) const;

  // The selected column; -1 when the grid has none. Setting it writes the
  // pending text, runs OnColExit (not again while it runs; an exception
  // keeps the column) and OnColEnter.
  int SelectedIndex() const;
  void SetSelectedIndex(int index);
  toolkit::Field* SelectedField() const;
  void SetSelectedField(toolkit::Field* field);

  // The dataset's current row as a view index (-1 when none), and the
  // number of rows shown.
  int Row() const;
  int RowCount() const;
  // Text shown in a cell: the pending text in the current cell, else the
  // field's text.
  std::string CellText(int row, int column) const;
  bool HasPendingText() const { return pending_.active; }
  const std::string& PendingText() const { return pending_.text; }
  // The pending text is selected (it was refused): typing or Backspace
  // replaces all of it.
  bool PendingSelected() const { return pending_.active && pending_.selected; }
  // Writes the pending text into the selected field (EConvertError for bad
  // number text, the text then stays pending).
  void WritePending();
  // The cell can take typing: editing option, column, field and grid not
  // read-only, dataset open.
  bool CanEditCell() const;

  NotifyEvent OnColEnter, OnColExit, OnEditButtonClick;

  // Cells to stand out (a value that changed, say), by view row and
  // column; unset, none does.
  std::function<bool(int row, int column)> CellMarked;
  bool Marked(int row, int column) const { return CellMarked && CellMarked(row, column); }
  // The view was scrolled until it shows rows up to lastShown: when that
  // is the last row, OnLastRowShown fires (a list that reads a page at a
  // time reads the next).
  void RowsShown(int lastShown);
  NotifyEvent OnLastRowShown;

  bool WantsTab() const override { return (options_ & dgTabs) != 0; }
  bool HandleKeyDown(Word& key, ShiftState shift) override;
  void HandleChar(char32_t key) override;
  void DoExit() override;

  // A person clicked the cell (view row, column); the grid has the focus.
  void ClickCell(int row, int column);
  // The ellipsis button of the selected cell.
  void EditButtonClick();

  // For columns.
  void ColumnsChanged() { Changed(Change::GridLayout); }

 private:
  class Link : public DataLink {
   public:
    explicit Link(DBGrid& grid) : grid_(grid) {}
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void RecordChanged(toolkit::Field* field) override;
    void EditingChanged() override;
    void UpdateData() override { grid_.WritePending(); }
    void FocusControl(toolkit::Field& field, bool& handled) override;

   private:
    DBGrid& grid_;
  };
  struct Pending {
    bool active = false;
    bool selected = false;  // the whole text, after it was refused
    std::string text;
    std::unique_ptr<EditMask> mask;
    std::unique_ptr<MaskedText> masked;
  };

  void RebuildDefaultColumns();
  void DropPending();
  void StartPending(const Column& column);
  void TypeIntoCell(char32_t key);
  void BackspaceInCell();
  void MoveColumn(int index);
  void MoveRow(int distance);
  void StepColumn(int step, bool wrap);
  void DownKey();
  void DeleteRow();
  void CancelKey();

  Link link_{*this};
  std::vector<std::unique_ptr<Column>> columns_;       // persistent
  std::vector<std::unique_ptr<Column>> autoColumns_;  // from the fields, when none are added
  GridOptions options_ = kDefaultOptions;
  bool readOnly_ = false;
  int selected_ = 0;
  bool inColExit_ = false;
  Pending pending_;
};

}  // namespace toolkit
