#pragma once
// The rows of a data grid for a QTableView: cell texts and column titles
// read through the grid, never moving the dataset's cursor. Numbers are
// right-aligned; the current row of a grid without the focus is shaded.
#include <QAbstractTableModel>

namespace toolkit {
class DBGrid;
}

namespace desktop {

class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GridModel(toolkit::DBGrid& grid, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // Everything may have changed: rows, columns, titles.
  void Reload();
  // Only the texts of one row changed.
  void RowChanged(int row);
  // The grid is going: from now on the model is empty.
  void Detach();
  // Where a cell's text sits: numbers to the right.
  Qt::Alignment Alignment(int column) const;

 private:
  toolkit::DBGrid* grid_;
};

}  // namespace desktop
