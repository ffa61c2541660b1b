#include "desktop/GridModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "toolkit/controls/DBGrid.h"
#include "toolkit/data/Field.h"

namespace desktop {

GridModel::GridModel(toolkit::DBGrid& grid, QObject* parent) : QAbstractTableModel(parent), grid_(&grid) {}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() || !grid_ ? 0 : grid_->RowCount(); }

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() || !grid_ ? 0 : grid_->ColumnCount(); }

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !grid_) return {};
  switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(grid_->CellText(index.row(), index.column()));
    case Qt::TextAlignmentRole: return QVariant::fromValue(Alignment(index.column()));
    case Qt::BackgroundRole:
      if (grid_->Marked(index.row(), index.column())) return QBrush(QColor(255, 224, 130));
      // The grid without the focus still shows where its cursor is, dimmed.
      if (!grid_->Focused() && index.row() == grid_->Row()) return QBrush(QColor(0, 0, 0, 28));
      return {};
    case Qt::FontRole: {
      if (!grid_->Marked(index.row(), index.column())) return {};
      QFont bold;
      bold.setBold(true);
      return bold;
    }
    default: return {};
  }
}

Qt::Alignment GridModel::Alignment(int column) const {
  const toolkit::Field* field = grid_ && column < grid_->ColumnCount() ? grid_->Columns(column).Field() : nullptr;
  // Numbers line up on their units, as in the printed report.
  const bool number = field && field->DataType() == packet::FieldType::Float;
  return (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !grid_) return {};
  if (orientation == Qt::Vertical) return section == grid_->Row() ? QStringLiteral("▶") : QString();
  if (section < 0 || section >= grid_->ColumnCount()) return {};
  return QString::fromStdString(grid_->Columns(section).Title());
}

void GridModel::Reload() {
  beginResetModel();
  endResetModel();
}

void GridModel::Detach() {
  beginResetModel();
  grid_ = nullptr;
  endResetModel();
}

void GridModel::RowChanged(int row) {
  if (row < 0 || row >= rowCount()) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit headerDataChanged(Qt::Vertical, 0, rowCount() - 1);
}

}  // namespace desktop
