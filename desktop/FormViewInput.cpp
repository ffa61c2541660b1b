// What a person does to the widgets of a form, handed to the toolkit's
// input layer.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>

#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "desktop/KeyMap.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Input.h"

namespace desktop {

namespace {

// The MDI area takes Ctrl+Tab from the whole application to switch
// windows; on a form, the keys are the form's (out of a grid).
class FormKeysFirst : public QObject {
 public:
  explicit FormKeysFirst(FormView& view) : QObject(&view), view_(view) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrlTab = (key->modifiers() & Qt::ControlModifier) &&
                         (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab);
    return ctrlTab && view_.HandleKeyOf(watched, event);
  }

 private:
  FormView& view_;
};

}  // namespace

void FormView::TakeCtrlTab() { qApp->installEventFilter(new FormKeysFirst(*this)); }

bool FormView::HandleKeyOf(QObject* watched, QEvent* event) {
  if (!form_ || !controls_.count(watched)) return false;
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return false;
  }
  return HandleKey(event);
}

bool FormView::eventFilter(QObject* watched, QEvent* event) {
  auto it = controls_.find(watched);
  if (!form_ || it == controls_.end()) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride: {
      // Keys the toolkit handles must reach it as key presses.
      const KeyAction action = Translate(*static_cast<QKeyEvent*>(event));
      if (action.kind != KeyAction::Kind::None && !(action.shift & toolkit::ssAlt)) event->accept();
      return false;
    }
    case QEvent::KeyPress: return HandleKey(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: return HandleMouse(*it->second, watched, event);
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: return HandleEditMouse(*it->second, watched, event);
    case QEvent::FocusIn:
      // Qt moved the focus on its own (window activation): put it back.
      if (!syncingFocus_) SyncFocus();
      return false;
    default: return false;
  }
}

bool FormView::HandleKey(QEvent* event) {
  const KeyAction action = Translate(*static_cast<QKeyEvent*>(event));
  switch (action.kind) {
    case KeyAction::Kind::Text: toolkit::input::Type(*form_, action.text); break;
    case KeyAction::Kind::Key: toolkit::input::Key(*form_, action.key, action.shift); break;
    case KeyAction::Kind::None: return false;
  }
  SyncFocus();
  return true;
}

bool FormView::HandleMouse(toolkit::Control& control, QObject* watched, QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (mouse->button() == Qt::RightButton && control.ContextMenu()) return HandleContextClick(control, watched, mouse);
  // Other buttons would paste into an entry behind the toolkit's back.
  if (mouse->button() != Qt::LeftButton) return qobject_cast<QLineEdit*>(static_cast<QWidget*>(watched)) != nullptr;
  const bool dbl = event->type() == QEvent::MouseButtonDblClick;
  if (auto* grid = dynamic_cast<toolkit::DBGrid*>(&control)) {
    auto* view = grids_.at(grid);
    if (watched == view->Editor()) return true;      // the current cell: nothing to move
    if (watched != view->viewport()) return false;  // headers and scroll bars work as usual
    const QModelIndex cell = view->indexAt(mouse->position().toPoint());
    if (dbl) toolkit::input::DblClick(*grid);
    else if (cell.isValid()) toolkit::input::ClickCell(*grid, cell.row(), cell.column());
    else toolkit::input::Focus(*grid);
    SyncFocus();
    return true;
  }
  if (!control.Focusable()) return false;  // buttons click through their signal
  if (dbl) toolkit::input::DblClick(control);
  else toolkit::input::Focus(control);
  if (!dbl) HandleEditMouse(control, watched, event);
  SyncFocus();
  // A combo box still opens its list; the choice comes back as a choice.
  return !(qobject_cast<QComboBox*>(static_cast<QWidget*>(watched)) && control.Focused());
}

// A right click first puts a grid's cursor on the row clicked, as a left
// click would: the menu acts on what the person points at.
bool FormView::HandleContextClick(toolkit::Control& control, QObject* watched, QMouseEvent* mouse) {
  if (auto* grid = dynamic_cast<toolkit::DBGrid*>(&control)) {
    auto* view = grids_.at(grid);
    if (watched != view->viewport() && watched != view->Editor()) return false;
    const QModelIndex cell = view->indexAt(mouse->position().toPoint());
    if (cell.isValid() && watched == view->viewport()) toolkit::input::ClickCell(*grid, cell.row(), cell.column());
  }
  toolkit::input::ContextMenu(control);
  SyncFocus();
  return true;
}

// A click in a focused entry places the caret where it points; dragging
// selects from there.
bool FormView::HandleEditMouse(toolkit::Control& control, QObject* watched, QEvent* event) {
  auto* edit = dynamic_cast<toolkit::Edit*>(&control);
  auto* line = qobject_cast<QLineEdit*>(static_cast<QWidget*>(watched));
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (!edit || !line || !edit->Focused()) return false;
  if (event->type() == QEvent::MouseButtonRelease) {
    dragAnchor_ = -1;
    return true;
  }
  const int at = line->cursorPositionAt(mouse->position().toPoint());
  if (event->type() == QEvent::MouseButtonPress) dragAnchor_ = at;
  else if (dragAnchor_ < 0 || !(mouse->buttons() & Qt::LeftButton)) return true;
  toolkit::input::SelectText(*edit, std::min(dragAnchor_, at), std::abs(at - dragAnchor_));
  SyncFocus();
  return true;
}

}  // namespace desktop
