#pragma once
// The pick list: a search box over a read-only table of rows; Enter, double
// click or OK picks the current row, Esc or Cancelar picks nothing.

#include <string>
#include <string_view>
#include <vector>

#include <QDialog>
#include <QString>

class QLineEdit;
class QTableWidget;
class QPushButton;

namespace toolkit {
class DataSet;
class Field;
}  // namespace toolkit

namespace desktop {

// The form in which searches compare texts: accents dropped, case folded
// ("São" and "sao" give the same key).
QString SearchKey(const QString& text);

// Indexes of the rows with a cell containing search, ignoring case and
// accents; every row for an empty search.
std::vector<int> MatchingRows(const std::vector<std::vector<std::string>>& cells, std::string_view search);

struct PickColumn {
  QString label;
};

// The shown columns of fields, and the text of every view row of dataset
// in those columns, read without moving its cursor.
std::vector<PickColumn> PickColumns(const std::vector<toolkit::Field*>& fields);
std::vector<std::vector<std::string>> PickCells(const toolkit::DataSet& dataset,
                                                const std::vector<toolkit::Field*>& fields);

// Every column starts wide enough for its title and its widest cell (up to
// a sane maximum), and the dialog wide enough for every column (up to most
// of the screen).
class PickListDialog : public QDialog {
  Q_OBJECT

 public:
  // currentRow (-1 for none) starts selected.
  PickListDialog(const QString& title, std::vector<PickColumn> columns, std::vector<std::vector<std::string>> cells,
                 int currentRow, QWidget* parent = nullptr);

  // Filters the rows as if typed into the search box.
  void SetSearch(const QString& text);
  int VisibleRowCount() const;
  // Makes a visible row current; false when the row is hidden or absent.
  bool SelectRow(int row);
  // The row current in the table, or -1.
  int CurrentRow() const;
  // The row picked by the last accept, or -1.
  int ChosenRow() const { return chosen_; }

  // Picks the current row; with no visible row nothing is picked and the
  // dialog stays open.
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildTable(const std::vector<PickColumn>& columns);
  void FitColumns();
  void ApplyFilter(const QString& text);
  void SelectFirstVisible();
  void UpdateOkButton();

  std::vector<std::vector<std::string>> cells_;
  std::vector<std::vector<QString>> keys_;  // SearchKey of each cell, made once
  QLineEdit* search_ = nullptr;
  QTableWidget* table_ = nullptr;
  QPushButton* ok_ = nullptr;
  int chosen_ = -1;
};

}  // namespace desktop
