// A control's context menu as a QMenu, where the person looks: at the
// mouse when it is over the control (a right click), else at the grid's
// current cell or under the control (the context-menu key).
#include <QApplication>
#include <QCursor>
#include <QMenu>

#include "desktop/FormView.h"
#include "desktop/GridView.h"
#include "desktop/QtDialogs.h"
#include "toolkit/controls/Menu.h"

namespace desktop {

namespace {

QWidget* ShownWidgetOf(const toolkit::Control& control) {
  for (QWidget* widget : QApplication::allWidgets())
    if (auto* view = qobject_cast<FormView*>(widget))
      if (QWidget* shown = view->WidgetOf(&control); shown && shown->isVisible()) return shown;
  return nullptr;
}

QPoint MenuPlace(QWidget* widget) {
  if (!widget) return QCursor::pos();
  if (widget->rect().contains(widget->mapFromGlobal(QCursor::pos()))) return QCursor::pos();
  if (auto* grid = qobject_cast<GridView*>(widget)) {
    const QRect cell = grid->visualRect(grid->currentIndex());
    if (cell.isValid()) return grid->viewport()->mapToGlobal(cell.bottomLeft());
  }
  return widget->mapToGlobal(widget->rect().bottomLeft());
}

}  // namespace

toolkit::MenuItem* QtDialogs::ChooseMenuItem(const std::vector<toolkit::MenuItem*>& items, toolkit::Control& at) {
  HideWait();
  QWidget* widget = ShownWidgetOf(at);
  QMenu menu(widget ? widget : parent_.data());
  for (toolkit::MenuItem* item : items) {
    QString caption = QString::fromStdString(item->Caption());
    if (!item->KeyHint().empty()) caption += '\t' + QString::fromStdString(item->KeyHint());
    QAction* action = menu.addAction(caption);
    action->setEnabled(item->EnabledInTree());
    action->setData(QVariant::fromValue(static_cast<void*>(item)));
  }
  QAction* chosen = menu.exec(MenuPlace(widget));
  return chosen ? static_cast<toolkit::MenuItem*>(chosen->data().value<void*>()) : nullptr;
}

}  // namespace desktop
