#pragma once
// A data grid as a QTableView: rows from a GridModel, the current cell
// following the grid, the ellipsis button of the selected cell, and the
// cell editor. Only a grid with the focus shows a selected cell; the
// editor shows over the current cell while it holds typed text, with a
// caret, and with the text selected when the next key replaces it.
#include <QFont>
#include <QTableView>
#include <string>

namespace toolkit {
class DBGrid;
}

class QLineEdit;
class QToolButton;

namespace desktop {

class GridModel;

// Pixels a column title needs in a header of that font, drawn bold.
int ColumnTitleWidth(QFont headerFont, const std::string& title);

class GridView : public QTableView {
  Q_OBJECT

 public:
  GridView(toolkit::DBGrid& grid, QWidget* parent);

  // Columns, their titles and widths, and every row again.
  void ReloadLayout();
  void ReloadData();
  void RowTextChanged();
  // The current cell and the ellipsis button from the grid; reveal scrolls
  // the current cell into view.
  void SyncCurrent(bool reveal = true);
  // The cursor moved (row or column): shown, and scrolled into view only
  // when it is on another cell than shown last, so that a notice that
  // changes nothing does not undo the person's scrolling.
  void CursorMoved();
  // The grid is going: the view shows nothing and asks it nothing more.
  void Detach();
  // The cell editor; hidden unless the current cell holds typed text.
  QLineEdit* Editor() const { return editor_; }
  // Column widths are the grid's times scaleX, never narrower than their
  // title, and narrowed (down to the title) to fit the view.
  void SetScaleX(double scaleX);
  // Pixels a column needs for its title, drawn bold.
  int TitleWidth(int column) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void PlaceEllipsis();
  void PlaceEditor();
  void FitColumns();
  // After a scroll: tells the grid, later, which row is now the bottom one.
  void ReportRowsShown();

  toolkit::DBGrid* grid_;
  GridModel* model_;
  QToolButton* ellipsis_;
  QLineEdit* editor_;
  double scaleX_ = 1.0;
  int shownRow_ = -1, shownColumn_ = -1;  // the current cell as last shown
  bool reportPending_ = false;
};

}  // namespace desktop
