#include "desktop/PickListDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "toolkit/data/DataSet.h"
#include "toolkit/data/Field.h"

namespace desktop {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::vector<QString> RowKeys(const std::vector<std::string>& row) {
  std::vector<QString> keys;
  keys.reserve(row.size());
  for (const std::string& cell : row) keys.push_back(SearchKey(FromUtf8(cell)));
  return keys;
}

std::vector<int> MatchingKeys(const std::vector<std::vector<QString>>& keys, const QString& search) {
  const QString wanted = SearchKey(search);
  std::vector<int> rows;
  for (int i = 0; i < static_cast<int>(keys.size()); ++i)
    if (wanted.isEmpty() ||
        std::any_of(keys[i].begin(), keys[i].end(), [&](const QString& key) { return key.contains(wanted); }))
      rows.push_back(i);
  return rows;
}

// A column wider than this many average characters is cut there.
constexpr int kMaxColumnChars = 60;
// The share of the screen's width the dialog may take to show its columns.
constexpr double kMaxScreenShare = 0.9;
constexpr int kMinWidth = 320;
constexpr int kHeight = 420;

}  // namespace

QString SearchKey(const QString& text) {
  // Decomposed, an accented letter is its base letter followed by
  // combining marks, which are dropped.
  const QString decomposed = text.normalized(QString::NormalizationForm_D);
  QString key;
  key.reserve(decomposed.size());
  for (const QChar c : decomposed)
    if (c.category() != QChar::Mark_NonSpacing) key.append(c);
  return key.toCaseFolded();
}

std::vector<int> MatchingRows(const std::vector<std::vector<std::string>>& cells, std::string_view search) {
  std::vector<std::vector<QString>> keys;
  keys.reserve(cells.size());
  for (const auto& row : cells) keys.push_back(RowKeys(row));
  return MatchingKeys(keys, FromUtf8(search));
}

std::vector<PickColumn> PickColumns(const std::vector<toolkit::Field*>& fields) {
  std::vector<PickColumn> columns;
  for (const toolkit::Field* f : fields) columns.push_back({FromUtf8(f->DisplayLabel())});
  return columns;
}

std::vector<std::vector<std::string>> PickCells(const toolkit::DataSet& dataset,
                                                const std::vector<toolkit::Field*>& fields) {
  std::vector<std::vector<std::string>> cells(static_cast<size_t>(std::max(dataset.ViewCount(), 0)));
  for (int row = 0; row < static_cast<int>(cells.size()); ++row)
    for (const toolkit::Field* f : fields) cells[row].push_back(dataset.CellText(row, f->Index()));
  return cells;
}

PickListDialog::PickListDialog(const QString& title, std::vector<PickColumn> columns,
                               std::vector<std::vector<std::string>> cells, int currentRow, QWidget* parent)
    : QDialog(parent), cells_(std::move(cells)) {
  setWindowTitle(title);
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(tr("Pesquisar"));
  search_->installEventFilter(this);
  table_ = new QTableWidget(this);
  BuildTable(columns);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancelar"));
  ok_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &PickListDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PickListDialog::reject);
  connect(search_, &QLineEdit::textChanged, this, &PickListDialog::ApplyFilter);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this] { accept(); });
  connect(table_, &QTableWidget::currentCellChanged, this, &PickListDialog::UpdateOkButton);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(search_);
  layout->addWidget(table_);
  layout->addWidget(buttons);
  FitColumns();
  if (!SelectRow(currentRow)) SelectFirstVisible();
  UpdateOkButton();
  search_->setFocus();
}

void PickListDialog::BuildTable(const std::vector<PickColumn>& columns) {
  table_->setColumnCount(static_cast<int>(columns.size()));
  table_->setRowCount(static_cast<int>(cells_.size()));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  for (int c = 0; c < static_cast<int>(columns.size()); ++c)
    table_->setHorizontalHeaderItem(c, new QTableWidgetItem(columns[c].label));
  keys_.reserve(cells_.size());
  for (int r = 0; r < static_cast<int>(cells_.size()); ++r) {
    for (int c = 0; c < static_cast<int>(cells_[r].size()) && c < table_->columnCount(); ++c)
      table_->setItem(r, c, new QTableWidgetItem(FromUtf8(cells_[r][c])));
    keys_.push_back(RowKeys(cells_[r]));
  }
}

// Qt sizes columns by the first thousand rows unless told otherwise: a
// wider cell further down would show cut. (Which header's precision
// counts has changed between Qt versions.)
void PickListDialog::FitColumns() {
  // Measured with the fonts the style gives (a bold header) once shown,
  // and the last column by its contents, not by the room it stretches to.
  ensurePolished();
  table_->horizontalHeader()->setStretchLastSection(false);
  table_->horizontalHeader()->setResizeContentsPrecision(-1);
  table_->verticalHeader()->setResizeContentsPrecision(-1);
  table_->resizeColumnsToContents();
  const int maxColumn = kMaxColumnChars * fontMetrics().averageCharWidth();
  int total = 0;
  for (int c = 0; c < table_->columnCount(); ++c) {
    if (table_->columnWidth(c) > maxColumn) table_->setColumnWidth(c, maxColumn);
    total += table_->columnWidth(c);
  }
  // Room for the frame, a vertical scroll bar and the layout's margins.
  const QMargins margins = layout()->contentsMargins();
  const int chrome = 2 * table_->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_) +
                     margins.left() + margins.right();
  const QScreen* shown = screen();
  const int maxWidth = shown ? static_cast<int>(shown->availableGeometry().width() * kMaxScreenShare) : 1024;
  resize(std::clamp(total + chrome, kMinWidth, std::max(kMinWidth, maxWidth)), kHeight);
  table_->horizontalHeader()->setStretchLastSection(true);
}

void PickListDialog::SetSearch(const QString& text) { search_->setText(text); }

void PickListDialog::ApplyFilter(const QString& text) {
  const std::vector<int> matching = MatchingKeys(keys_, text);
  std::vector<bool> shown(cells_.size(), false);
  for (int row : matching) shown[row] = true;
  for (int r = 0; r < table_->rowCount(); ++r) table_->setRowHidden(r, !shown[r]);
  if (CurrentRow() < 0) SelectFirstVisible();
  UpdateOkButton();
}

int PickListDialog::VisibleRowCount() const {
  int count = 0;
  for (int r = 0; r < table_->rowCount(); ++r)
    if (!table_->isRowHidden(r)) ++count;
  return count;
}

bool PickListDialog::SelectRow(int row) {
  if (row < 0 || row >= table_->rowCount() || table_->isRowHidden(row)) return false;
  table_->setCurrentCell(row, 0);
  table_->selectRow(row);
  table_->scrollToItem(table_->item(row, 0), QAbstractItemView::PositionAtCenter);
  return true;
}

int PickListDialog::CurrentRow() const {
  const int row = table_->currentRow();
  return row >= 0 && !table_->isRowHidden(row) ? row : -1;
}

void PickListDialog::SelectFirstVisible() {
  table_->clearSelection();
  table_->setCurrentCell(-1, -1);
  for (int r = 0; r < table_->rowCount(); ++r)
    if (SelectRow(r)) return;
}

void PickListDialog::UpdateOkButton() { ok_->setEnabled(CurrentRow() >= 0); }

void PickListDialog::accept() {
  const int row = CurrentRow();
  if (row < 0) return;
  chosen_ = row;
  QDialog::accept();
}

// Up, Down and paging keys typed in the search box move through the table,
// so one can search and pick without leaving the keyboard.
bool PickListDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == search_ && event->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        QCoreApplication::sendEvent(table_, event);
        return true;
      default: break;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace desktop
