// Keeping the widgets of a form in step with its controls.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>

#include "desktop/AlignLayout.h"
#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "desktop/RangeBarView.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/Menu.h"

namespace desktop {

namespace {

QColor ColorOf(toolkit::TColor color) {
  switch (color) {
    case toolkit::TColor::clInfoBk: return {255, 255, 225};
    case toolkit::TColor::clBtnFace: return {240, 240, 240};
    case toolkit::TColor::clWindow:
    case toolkit::TColor::clWhite: return Qt::white;
    case toolkit::TColor::clBlack: return Qt::black;
    default: return {};
  }
}

QString Qt(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

void FormView::ControlChanged(toolkit::Control& control, toolkit::Change what) {
  if (!form_) return;
  if (what == toolkit::Change::Removed) return &control == form_ ? DetachAll() : Forget(control);
  if (toolkit::Application::Instance().RepaintSuspended()) {
    stale_ = true;
    return;
  }
  Sync(control, what);
}

void FormView::RepaintResumed() {
  if (!stale_ || !form_) return;
  stale_ = false;
  SyncAll();
}

void FormView::FormRemoved(toolkit::Form& form) {
  if (&form != form_) return;
  form.RemoveObserver(this);
  DetachAll();
}

void FormView::MenuChanged(toolkit::MenuItem& item) {
  if (form_) SyncAction(item);
}

void FormView::SyncAll() {
  for (auto& [control, widget] : widgets_) {
    auto* c = const_cast<toolkit::Control*>(control);
    SyncText(*c, widget);
    SyncLook(*c, widget);
    if (auto* grid = dynamic_cast<toolkit::DBGrid*>(c)) grids_.at(grid)->ReloadLayout();
    if (qobject_cast<RangeBarView*>(widget)) widget->update();
  }
  for (auto& [item, action] : actions_) SyncAction(*const_cast<toolkit::MenuItem*>(item));
  LayOutAll();
  SyncFocus();
}

void FormView::Sync(toolkit::Control& control, toolkit::Change what) {
  using toolkit::Change;
  QWidget* widget = WidgetOf(&control);
  if (!widget) return;
  auto* grid = dynamic_cast<toolkit::DBGrid*>(&control);
  switch (what) {
    case Change::Focus:
      // The grid losing the focus dims its row, the one taking it selects.
      for (auto& [g, view] : grids_) view->SyncCurrent();
      return SyncFocus();
    case Change::Bounds:
    case Change::Visible:
      SyncLook(control, widget);
      return LayOutAll();
    case Change::GridLayout: return grids_.at(grid)->ReloadLayout();
    case Change::GridData: return grids_.at(grid)->ReloadData();
    case Change::GridRow:
    case Change::GridColumn: return grids_.at(grid)->CursorMoved();
    case Change::GridCell:
      // The cell editor shows or hides: the focus goes with it.
      grids_.at(grid)->RowTextChanged();
      return SyncFocus();
    case Change::WindowState: emit WindowStateChanged(); return;
    case Change::Repaint: update(); return;
    case Change::Drawing: widget->update(); return;
    case Change::Text:
    case Change::Items:
    case Change::ItemIndex:
    case Change::Selection:
      SyncText(control, widget);
      if (&control == form_) emit CaptionChanged(Qt(control.Caption()));
      return;
    default: return SyncLook(control, widget);
  }
}

// What the control says: caption, text, items, caret.
void FormView::SyncText(toolkit::Control& control, QWidget* widget) {
  if (auto* edit = dynamic_cast<toolkit::Edit*>(&control)) {
    auto* line = static_cast<QLineEdit*>(widget);
    line->setText(Qt(edit->EditText()));
    if (edit->SelLength() > 0) line->setSelection(edit->SelStart(), edit->SelLength());
    else line->setCursorPosition(edit->SelStart());
    line->setReadOnly(edit->ReadOnly());
    // No caret where nothing can be typed.
    line->setCursor(edit->ReadOnly() ? Qt::ArrowCursor : Qt::IBeamCursor);
  } else if (auto* combo = dynamic_cast<toolkit::ComboBox*>(&control)) {
    auto* box = static_cast<QComboBox*>(widget);
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& item : combo->Items()) box->addItem(Qt(item));
    box->setCurrentIndex(combo->ItemIndex());
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(Qt(control.Text()));
  } else if (auto* button = qobject_cast<QToolButton*>(widget)) {
    // A lookup button has no caption of its own.
    button->setText(control.Caption().empty() ? QStringLiteral("…") : Qt(control.Caption()));
  } else if (&control == form_) {
    setWindowTitle(Qt(control.Caption()));
  }
}

// How the control looks: enabled, visible, colour, font, hint.
void FormView::SyncLook(toolkit::Control& control, QWidget* widget) {
  widget->setEnabled(control.Enabled());
  if (&control != form_) widget->setVisible(control.Visible());
  widget->setToolTip(Qt(control.Hint()));
  QFont font = widget->font();
  font.setBold(control.Bold());
  widget->setFont(font);
  const QColor color = ColorOf(control.Color());
  if (color.isValid()) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
  }
  if (auto* navigator = dynamic_cast<toolkit::DBNavigator*>(&control)) {
    for (auto* button : widget->findChildren<QToolButton*>()) {
      const auto which = static_cast<toolkit::NavigateBtn>(button->property("navigateBtn").toInt());
      button->setEnabled(navigator->ButtonEnabled(which));
    }
  }
}

void FormView::SyncAction(toolkit::MenuItem& item) {
  auto it = actions_.find(&item);
  if (it == actions_.end()) return;
  const std::string hint = item.KeyHint();
  // Qt shows what follows a tab as the item's key, right-aligned.
  it->second->setText(Qt(item.Caption()) + (hint.empty() ? QString() : QStringLiteral("\t") + Qt(hint)));
  it->second->setEnabled(item.Enabled());
  it->second->setVisible(item.Visible());
}

// The Qt focus goes where the toolkit keeps it, also after a refused exit.
void FormView::SyncFocus() {
  if (!form_ || syncingFocus_) return;
  syncingFocus_ = true;
  QWidget* target = FocusTarget();
  if (target && target != client_ && QApplication::focusWidget() != target) target->setFocus(Qt::OtherFocusReason);
  syncingFocus_ = false;
}

// The widget of the active control; for a grid whose cell is being typed
// into, the cell editor, so that its caret shows.
QWidget* FormView::FocusTarget() const {
  QWidget* target = WidgetOf(form_->ActiveControl());
  if (auto* grid = qobject_cast<GridView*>(target); grid && grid->Editor()->isVisibleTo(grid)) return grid->Editor();
  return target;
}

// Qt gave its focus to this form's window itself (a click on a button
// focuses the sub-window, which keeps it after a dialog): keys would no
// longer reach the toolkit's focused control, so it takes the focus back.
// Once the event loop is free again: the window's own handling of the
// change must end first, or the two would hand the focus back and forth.
void FormView::QtFocusChanged(QWidget* now) {
  if (!form_ || syncingFocus_ || !(now == this || now == parentWidget())) return;
  QTimer::singleShot(0, this, [this] {
    QWidget* now = QApplication::focusWidget();
    if (form_ && (now == this || now == parentWidget())) SyncFocus();
  });
}

void FormView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutAll();
}

void FormView::LayOutAll() {
  const int menu = menuBar_ ? menuBar_->sizeHint().height() : 0;
  if (menuBar_) menuBar_->setGeometry(0, 0, width(), menu);
  client_->setGeometry(0, menu, width(), height() - menu);
  if (form_) LayOut(*form_, client_);
}

void FormView::LayOut(const toolkit::Container& container, QWidget* widget) {
  for (const Placement& p : desktop::LayOut(container, widget->width(), widget->height(), scaleX_)) {
    QWidget* child = WidgetOf(p.control);
    if (!child) continue;
    child->setGeometry(p.rect.left, p.rect.top, p.rect.width, p.rect.height);
    if (auto* inner = dynamic_cast<const toolkit::Container*>(p.control)) LayOut(*inner, child);
  }
}

}  // namespace desktop
