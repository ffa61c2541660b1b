#include "desktop/GridView.h"

#include <QHeaderView>
#include <QToolButton>

#include "desktop/GridModel.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Input.h"

namespace desktop {

GridView::GridView(toolkit::DBGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(&grid), model_(new GridModel(grid, this)), ellipsis_(new QToolButton(viewport())) {
  setModel(model_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setFocusPolicy(Qt::NoFocus);
  verticalHeader()->setDefaultSectionSize(20);
  verticalHeader()->setFixedWidth(14);
  ellipsis_->setText(QStringLiteral("…"));
  ellipsis_->setFocusPolicy(Qt::NoFocus);
  ellipsis_->hide();
  connect(ellipsis_, &QToolButton::clicked, this, [this] {
    if (grid_) toolkit::input::EditButton(*grid_);
  });
  ReloadLayout();
}

void GridView::Detach() {
  grid_ = nullptr;
  model_->Detach();
  ellipsis_->hide();
}

void GridView::ReloadLayout() {
  if (!grid_) return;
  model_->Reload();
  horizontalHeader()->setVisible((grid_->Options() & toolkit::dgTitles) != 0);
  verticalHeader()->setVisible((grid_->Options() & toolkit::dgIndicator) != 0);
  for (int c = 0; c < grid_->ColumnCount(); ++c) setColumnWidth(c, grid_->Columns(c).Width());
  SyncCurrent();
}

void GridView::ReloadData() {
  if (!grid_) return;
  model_->Reload();
  SyncCurrent();
}

void GridView::RowTextChanged() {
  if (grid_) model_->RowChanged(grid_->Row());
}

void GridView::SyncCurrent() {
  if (!grid_) return;
  const int row = grid_->Row();
  const int column = grid_->SelectedIndex();
  if (row >= 0 && column >= 0 && row < model_->rowCount() && column < model_->columnCount()) {
    const QModelIndex index = model_->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
  } else {
    selectionModel()->clearSelection();
  }
  model_->RowChanged(row);
  PlaceEllipsis();
}

void GridView::PlaceEllipsis() {
  const int row = grid_->Row();
  const int column = grid_->SelectedIndex();
  const bool show = row >= 0 && column >= 0 && column < grid_->ColumnCount() &&
                    grid_->Columns(column).ButtonStyle() == toolkit::ButtonStyle::cbsEllipsis;
  if (!show) {
    ellipsis_->hide();
    return;
  }
  const QRect cell = visualRect(model_->index(row, column));
  ellipsis_->setGeometry(cell.right() - cell.height() + 1, cell.top(), cell.height(), cell.height());
  ellipsis_->show();
}

}  // namespace desktop
