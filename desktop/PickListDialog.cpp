#include "desktop/PickListDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "toolkit/data/DataSet.h"
#include "toolkit/data/Field.h"

namespace desktop {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

bool RowMatches(const std::vector<std::string>& row, const QString& search) {
  return std::any_of(row.begin(), row.end(),
                     [&](const std::string& cell) { return FromUtf8(cell).contains(search, Qt::CaseInsensitive); });
}

constexpr int kMaxColumnChars = 60;

}  // namespace

std::vector<int> MatchingRows(const std::vector<std::vector<std::string>>& cells, std::string_view search) {
  const QString wanted = FromUtf8(search);
  std::vector<int> rows;
  for (int i = 0; i < static_cast<int>(cells.size()); ++i)
    if (wanted.isEmpty() || RowMatches(cells[i], wanted)) rows.push_back(i);
  return rows;
}

std::vector<PickColumn> PickColumns(const std::vector<toolkit::Field*>& fields) {
  std::vector<PickColumn> columns;
  for (const toolkit::Field* f : fields) columns.push_back({FromUtf8(f->DisplayLabel()), f->DisplayWidth()});
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
  const int charWidth = fontMetrics().averageCharWidth();
  int total = 0;
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    table_->setHorizontalHeaderItem(c, new QTableWidgetItem(columns[c].label));
    if (columns[c].width > 0) table_->setColumnWidth(c, std::min(columns[c].width, kMaxColumnChars) * charWidth + 12);
    total += table_->columnWidth(c);
  }
  for (int r = 0; r < static_cast<int>(cells_.size()); ++r)
    for (int c = 0; c < static_cast<int>(cells_[r].size()) && c < table_->columnCount(); ++c)
      table_->setItem(r, c, new QTableWidgetItem(FromUtf8(cells_[r][c])));
  resize(std::clamp(total + 40, 320, 900), 420);
}

void PickListDialog::SetSearch(const QString& text) { search_->setText(text); }

void PickListDialog::ApplyFilter(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  const std::vector<int> matching = MatchingRows(cells_, std::string_view(utf8.constData(), utf8.size()));
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
