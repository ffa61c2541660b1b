#pragma once
// A data grid as a QTableView: rows from a GridModel, the current cell
// following the grid, and the ellipsis button of the selected cell.
#include <QTableView>

namespace toolkit {
class DBGrid;
}

class QToolButton;

namespace desktop {

class GridModel;

class GridView : public QTableView {
  Q_OBJECT

 public:
  GridView(toolkit::DBGrid& grid, QWidget* parent);

  // Columns, their titles and widths, and every row again.
  void ReloadLayout();
  void ReloadData();
  void RowTextChanged();
  // The current cell and the ellipsis button from the grid.
  void SyncCurrent();
  // The grid is going: the view shows nothing and asks it nothing more.
  void Detach();

 private:
  void PlaceEllipsis();

  toolkit::DBGrid* grid_;
  GridModel* model_;
  QToolButton* ellipsis_;
};

}  // namespace desktop
