#include "desktop/GridView.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <vector>

#include "desktop/GridModel.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Input.h"

namespace desktop {

GridView::GridView(toolkit::DBGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(&grid), model_(new GridModel(grid, this)),
      ellipsis_(new QToolButton(viewport())),
      editor_(new QLineEdit(viewport())) {
  setModel(model_);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Scrolling to the current cell is SyncCurrent's to decide, not Qt's at
  // every change of the current index.
  setAutoScroll(false);
  setFocusPolicy(Qt::NoFocus);
  verticalHeader()->setDefaultSectionSize(20);
  verticalHeader()->setFixedWidth(14);
  ellipsis_->setText(QStringLiteral("…"));
  ellipsis_->setFocusPolicy(Qt::NoFocus);
  ellipsis_->hide();
  connect(ellipsis_, &QToolButton::clicked, this, [this] {
    if (grid_) toolkit::input::EditButton(*grid_);
  });
  // Keys and clicks reach the editor only to be handed to the grid, and it
  // offers no menu nor drop: it never edits on its own. Not read-only, so
  // that its caret shows.
  editor_->setContextMenuPolicy(Qt::NoContextMenu);
  editor_->setAcceptDrops(false);
  // Framed and white over the grid's colour: plainly a cell being typed in.
  QPalette white = editor_->palette();
  white.setColor(QPalette::Base, Qt::white);
  white.setColor(QPalette::Text, Qt::black);
  editor_->setPalette(white);
  editor_->setAutoFillBackground(true);
  editor_->setFocusPolicy(Qt::NoFocus);
  editor_->hide();
  for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
    connect(bar, &QScrollBar::valueChanged, this, [this] {
      if (!grid_) return;
      PlaceEllipsis();
      PlaceEditor();
    });
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ReportRowsShown(); });
  ReloadLayout();
}

void GridView::Detach() {
  grid_ = nullptr;
  model_->Detach();
  ellipsis_->hide();
  editor_->hide();
}

void GridView::ReloadLayout() {
  if (!grid_) return;
  model_->Reload();
  horizontalHeader()->setVisible((grid_->Options() & toolkit::dgTitles) != 0);
  verticalHeader()->setVisible((grid_->Options() & toolkit::dgIndicator) != 0);
  FitColumns();
  SyncCurrent();
}

int ColumnTitleWidth(QFont headerFont, const std::string& title) {
  // The current column's title is drawn bold: measure it so.
  headerFont.setBold(true);
  return QFontMetrics(headerFont).horizontalAdvance(QString::fromStdString(title)) + 14;
}

int GridView::TitleWidth(int column) const {
  return ColumnTitleWidth(horizontalHeader()->font(), grid_->Columns(column).Title());
}

// The grid's widths, scaled, each at least its title; when they pass the
// room there is, the columns with the most to spare give it back first.
void GridView::FitColumns() {
  const int count = grid_->ColumnCount();
  std::vector<int> widths(count), titles(count);
  int total = 0;
  for (int c = 0; c < count; ++c) {
    titles[c] = TitleWidth(c);
    widths[c] = std::max(static_cast<int>(grid_->Columns(c).Width() * scaleX_ + 0.5), titles[c]);
    total += widths[c];
  }
  int excess = total - viewport()->width();
  while (excess > 0) {
    int widest = -1;
    for (int c = 0; c < count; ++c)
      if (widths[c] > titles[c] && (widest < 0 || widths[c] - titles[c] > widths[widest] - titles[widest])) widest = c;
    if (widest < 0) break;
    const int give = std::min(excess, std::max(1, (widths[widest] - titles[widest]) / 2));
    widths[widest] -= give;
    excess -= give;
  }
  for (int c = 0; c < count; ++c) setColumnWidth(c, widths[c]);
}

void GridView::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  if (grid_) FitColumns();
}

void GridView::SetScaleX(double scaleX) {
  scaleX_ = scaleX;
  ReloadLayout();
}

void GridView::ReloadData() {
  if (!grid_) return;
  // Rows read on (a list's next page) leave the view where the person
  // scrolled it, as long as the cursor stayed on its row.
  const int scrolled = verticalScrollBar()->value();
  // The model counts the grid's rows live; the header, those laid out.
  const int rowsBefore = verticalHeader()->count();
  model_->Reload();
  const bool readOn = grid_->Row() == shownRow_ && shownRow_ >= 0 && model_->rowCount() > rowsBefore;
  if (readOn) {
    // The scroll range follows the new rows only once laid out.
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(scrolled);
  }
  SyncCurrent(!readOn);
}

void GridView::ReportRowsShown() {
  // Queued: the grid's handler may read rows, which must not happen in the
  // middle of Qt's scrolling.
  if (reportPending_) return;
  reportPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        reportPending_ = false;
        if (!grid_ || model_->rowCount() == 0) return;
        const int bottom = rowAt(viewport()->height() - 1);
        toolkit::input::RowsShown(*grid_, bottom < 0 ? model_->rowCount() - 1 : bottom);
      },
      Qt::QueuedConnection);
}

void GridView::RowTextChanged() {
  if (!grid_) return;
  model_->RowChanged(grid_->Row());
  PlaceEditor();
}

void GridView::SyncCurrent(bool reveal) {
  if (!grid_) return;
  const int row = grid_->Row();
  shownRow_ = row;
  shownColumn_ = grid_->SelectedIndex();
  const int column = grid_->SelectedIndex();
  if (row >= 0 && column >= 0 && row < model_->rowCount() && column < model_->columnCount()) {
    const QModelIndex index = model_->index(row, column);
    // Only the grid with the focus shows a selected cell.
    const auto how = grid_->Focused() ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Clear;
    selectionModel()->setCurrentIndex(index, how);
    if (reveal) scrollTo(index);
  } else {
    selectionModel()->clearSelection();
  }
  model_->RowChanged(row);
  PlaceEllipsis();
  PlaceEditor();
}

void GridView::CursorMoved() {
  if (!grid_) return;
  SyncCurrent(grid_->Row() != shownRow_ || grid_->SelectedIndex() != shownColumn_);
}

void GridView::PlaceEditor() {
  const int row = grid_->Row();
  const int column = grid_->SelectedIndex();
  const bool show = grid_->Focused() && grid_->HasPendingText() && row >= 0 && column >= 0 &&
                    row < model_->rowCount() && column < model_->columnCount();
  if (!show) {
    editor_->hide();
    return;
  }
  QRect cell = visualRect(model_->index(row, column));
  if (ellipsis_->isVisible()) cell.setRight(ellipsis_->geometry().left() - 1);
  editor_->setGeometry(cell);
  editor_->setAlignment(model_->Alignment(column));
  editor_->setText(QString::fromStdString(grid_->PendingText()));
  if (grid_->PendingSelected()) editor_->selectAll();
  else editor_->setCursorPosition(editor_->text().size());
  editor_->show();
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
