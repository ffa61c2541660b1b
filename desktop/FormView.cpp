// Building the widgets of a form from its component tree.
#include "desktop/FormView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

#include "desktop/GridView.h"
#include "toolkit/controls/Button.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Input.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/Menu.h"

namespace desktop {

FormView::FormView(toolkit::Form& form, QWidget* parent) : QWidget(parent), form_(&form), client_(new QWidget(this)) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(QString::fromStdString(form.Caption()));
  BuildMenu();
  widgets_[&form] = client_;
  controls_[client_] = &form;
  Build(form, client_);
  form.AddObserver(this);
  toolkit::Application::Instance().AddObserver(this);
  resize(sizeHint());
  SyncAll();
}

FormView::~FormView() {
  toolkit::Application::Instance().RemoveObserver(this);
  if (form_) form_->RemoveObserver(this);
}

QWidget* FormView::WidgetOf(const toolkit::Control* control) const {
  auto it = widgets_.find(control);
  return it == widgets_.end() ? nullptr : it->second;
}

QSize FormView::sizeHint() const {
  const int menu = menuBar_ ? menuBar_->sizeHint().height() : 0;
  return {form_ ? form_->Width() : 400, (form_ ? form_->Height() : 300) + menu};
}

void FormView::Build(toolkit::Container& container, QWidget* parentWidget) {
  for (toolkit::Control* child : container.Children()) {
    QWidget* widget = MakeWidget(*child, parentWidget);
    Watch(widget, *child);
    if (auto* inner = dynamic_cast<toolkit::Container*>(child)) Build(*inner, widget);
  }
}

// Remembers the pair and routes the widget's input through the view.
void FormView::Watch(QWidget* widget, toolkit::Control& control) {
  widgets_[&control] = widget;
  controls_[widget] = &control;
  widget->setFocusPolicy(Qt::NoFocus);  // the toolkit decides where the focus goes
  widget->installEventFilter(this);
  if (auto* view = qobject_cast<GridView*>(widget)) {
    controls_[view->viewport()] = &control;
    view->viewport()->installEventFilter(this);
  }
}

QWidget* FormView::MakeWidget(toolkit::Control& control, QWidget* parent) {
  toolkit::Control* c = &control;
  if (auto* grid = dynamic_cast<toolkit::DBGrid*>(c)) {
    auto* view = new GridView(*grid, parent);
    grids_[grid] = view;
    return view;
  }
  if (dynamic_cast<toolkit::Edit*>(c)) return new QLineEdit(parent);
  if (auto* combo = dynamic_cast<toolkit::ComboBox*>(c)) {
    auto* box = new QComboBox(parent);
    connect(box, &QComboBox::activated, this, [combo](int index) { toolkit::input::Choose(*combo, index); });
    return box;
  }
  if (dynamic_cast<toolkit::Label*>(c) || dynamic_cast<toolkit::DBText*>(c)) return new QLabel(parent);
  if (dynamic_cast<toolkit::Button*>(c)) {
    auto* button = new QToolButton(parent);
    connect(button, &QToolButton::clicked, this, [c] { toolkit::input::Click(*c); });
    return button;
  }
  if (dynamic_cast<toolkit::DBNavigator*>(c)) return MakeNavigator(control, parent);
  if (dynamic_cast<toolkit::Splitter*>(c)) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
  }
  auto* frame = new QFrame(parent);
  if (dynamic_cast<toolkit::Panel*>(c)) frame->setFrameShape(QFrame::StyledPanel);
  return frame;
}

QWidget* FormView::MakeNavigator(toolkit::Control& control, QWidget* parent) {
  auto& navigator = static_cast<toolkit::DBNavigator&>(control);
  auto* box = new QWidget(parent);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  const std::pair<const char*, toolkit::NavigateBtn> buttons[] = {{"|◀", toolkit::NavigateBtn::nbFirst},
                                                                  {"◀", toolkit::NavigateBtn::nbPrior},
                                                                  {"▶", toolkit::NavigateBtn::nbNext},
                                                                  {"▶|", toolkit::NavigateBtn::nbLast}};
  for (const auto& [text, which] : buttons) {
    auto* button = new QToolButton(box);
    button->setText(QString::fromUtf8(text));
    button->setFocusPolicy(Qt::NoFocus);
    button->setProperty("navigateBtn", static_cast<int>(which));
    connect(button, &QToolButton::clicked, this,
            [&navigator, which = which] { toolkit::input::Navigate(navigator, which); });
    row->addWidget(button);
  }
  return box;
}

void FormView::BuildMenu() {
  toolkit::MainMenu* menu = form_->Menu();
  if (!menu) return;
  menuBar_ = new QMenuBar(this);
  for (toolkit::MenuItem* top : menu->Items()) {
    QMenu* sub = menuBar_->addMenu(QString::fromStdString(top->Caption()));
    actions_[top] = sub->menuAction();
    for (toolkit::MenuItem* item : top->Items()) {
      QAction* action = sub->addAction(QString::fromStdString(item->Caption()));
      connect(action, &QAction::triggered, this, [item] { toolkit::input::Click(*item); });
      actions_[item] = action;
    }
  }
  for (auto& [item, action] : actions_) SyncAction(*const_cast<toolkit::MenuItem*>(item));
}

void FormView::Forget(toolkit::Control& control) {
  QWidget* widget = WidgetOf(&control);
  if (!widget) return;
  if (auto* grid = dynamic_cast<toolkit::DBGrid*>(&control)) {
    grids_.at(grid)->Detach();
    grids_.erase(grid);
  }
  widgets_.erase(&control);
  controls_.erase(widget);
  widget->disconnect(this);
  widget->hide();
  widget->deleteLater();
}

// The form is going: nothing of it may be reached from a widget again.
void FormView::DetachAll() {
  for (auto& [grid, view] : grids_) view->Detach();
  grids_.clear();
  widgets_.clear();
  controls_.clear();
  actions_.clear();
  form_ = nullptr;
  setEnabled(false);
  emit FormGone();
}

}  // namespace desktop
