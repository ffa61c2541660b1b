// Building the widgets of a form from its component tree.
#include "desktop/FormView.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

#include "desktop/GridView.h"
#include "desktop/RangeBarView.h"
#include "desktop/SplitterHandle.h"
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
#include "toolkit/controls/RangeBar.h"

namespace desktop {

namespace {

constexpr double kMaxScale = 1.6;

// The width a grid keeps whatever the window's: its own on an edge, that of
// its container when it fills one that sits on a side edge (a grid with
// something under it); 0 when it grows with the window.
int FixedWidth(const toolkit::DBGrid& grid) {
  using toolkit::Align;
  if (grid.Align() != Align::alClient) return grid.Width();
  const toolkit::Container* box = grid.Parent();
  const bool side = box && (box->Align() == Align::alLeft || box->Align() == Align::alRight);
  return side ? box->Width() : 0;
}

}  // namespace

FormView::FormView(toolkit::Form& form, QWidget* parent) : QWidget(parent), form_(&form), client_(new QWidget(this)) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle(QString::fromStdString(form.Caption()));
  BuildMenu();
  widgets_[&form] = client_;
  controls_[client_] = &form;
  scaleX_ = MeasureScale();
  Build(form, client_);
  form.AddObserver(this);
  toolkit::Application::Instance().AddObserver(this);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { QtFocusChanged(now); });
  TakeCtrlTab();
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
  return {form_ ? static_cast<int>(form_->Width() * scaleX_ + 0.5) : 400, (form_ ? form_->Height() : 300) + menu};
}

// The form was drawn for a narrower font than most desktops use: widen it
// just enough for its longest caption, the same for every control so that
// what lines up still lines up.
double FormView::MeasureScale() const {
  double scale = 1.0;
  auto visit = [&](auto&& self, const toolkit::Container& container) -> void {
    for (toolkit::Control* child : container.Children()) {
      if (auto* inner = dynamic_cast<const toolkit::Container*>(child)) self(self, *inner);
      if (auto* grid = dynamic_cast<toolkit::DBGrid*>(child)) scale = std::max(scale, GridScale(*grid));
      const bool label = dynamic_cast<toolkit::Label*>(child) != nullptr;
      const bool button = dynamic_cast<toolkit::Button*>(child) != nullptr;
      const std::string text = label ? child->Text() : child->Caption();
      if ((!label && !button) || text.empty() || child->Width() <= 0) continue;
      QFont f = font();
      f.setBold(child->Bold());
      const int need = QFontMetrics(f).horizontalAdvance(QString::fromStdString(text)) + (button ? 14 : 4);
      scale = std::max(scale, static_cast<double>(need) / child->Width());
    }
  };
  if (form_) visit(visit, *form_);
  return std::min(scale, kMaxScale);
}

// A grid of fixed width must show every column title whole: the least
// scale at which its columns, scaled or as wide as their titles, fit.
double FormView::GridScale(const toolkit::DBGrid& grid) const {
  const int width = FixedWidth(grid);
  if (width <= 0) return 1.0;  // it grows with the window
  const int frame = (grid.Options() & toolkit::dgIndicator ? 14 : 0) + 6;
  double scale = 1.0;
  for (; scale < kMaxScale; scale += 0.02) {
    int total = frame;
    for (int c = 0; c < grid.ColumnCount(); ++c) {
      const int title = ColumnTitleWidth(font(), grid.Columns(c).Title());
      total += std::max(static_cast<int>(grid.Columns(c).Width() * scale + 0.5), title);
    }
    if (total <= width * scale) break;
  }
  return scale;
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
    view->SetScaleX(scaleX_);
    for (QWidget* part : {view->viewport(), static_cast<QWidget*>(view->Editor())}) {
      controls_[part] = &control;
      part->installEventFilter(this);
    }
  }
}

QWidget* FormView::MakeWidget(toolkit::Control& control, QWidget* parent) {
  toolkit::Control* c = &control;
  if (auto* grid = dynamic_cast<toolkit::DBGrid*>(c)) {
    auto* view = new GridView(*grid, parent);
    grids_[grid] = view;
    return view;
  }
  if (dynamic_cast<toolkit::Edit*>(c)) {
    // Its text is the toolkit's: no menu to paste from, nothing dropped.
    auto* line = new QLineEdit(parent);
    line->setContextMenuPolicy(Qt::NoContextMenu);
    line->setAcceptDrops(false);
    return line;
  }
  if (auto* combo = dynamic_cast<toolkit::ComboBox*>(c)) {
    auto* box = new QComboBox(parent);
    connect(box, &QComboBox::activated, this, [combo](int index) { toolkit::input::Choose(*combo, index); });
    return box;
  }
  if (dynamic_cast<toolkit::Label*>(c) || dynamic_cast<toolkit::DBText*>(c)) return new QLabel(parent);
  if (dynamic_cast<toolkit::Button*>(c)) {
    auto* button = new QToolButton(parent);
    // The button never takes the focus, but Qt may have moved it anyway.
    connect(button, &QToolButton::clicked, this, [this, c] {
      toolkit::input::Click(*c);
      SyncFocus();
    });
    return button;
  }
  if (dynamic_cast<toolkit::DBNavigator*>(c)) return MakeNavigator(control, parent);
  if (auto* bar = dynamic_cast<toolkit::RangeBar*>(c)) return new RangeBarView(*bar, parent);
  if (auto* splitter = dynamic_cast<toolkit::Splitter*>(c)) return new SplitterHandle(*splitter, scaleX_, parent);
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
      if (item->Caption() == "-") {
        sub->addSeparator();
        continue;
      }
      QAction* action = sub->addAction(QString::fromStdString(item->Caption()));
      connect(action, &QAction::triggered, this, [this, item] {
        toolkit::input::Click(*item);
        SyncFocus();
      });
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
  if (auto* handle = qobject_cast<SplitterHandle*>(widget)) handle->Detach();
  if (auto* bar = qobject_cast<RangeBarView*>(widget)) bar->Detach();
  widgets_.erase(&control);
  controls_.erase(widget);
  widget->disconnect(this);
  widget->hide();
  widget->deleteLater();
}

// The form is going: nothing of it may be reached from a widget again.
void FormView::DetachAll() {
  for (auto& [grid, view] : grids_) view->Detach();
  for (auto* handle : findChildren<SplitterHandle*>()) handle->Detach();
  for (auto* bar : findChildren<RangeBarView*>()) bar->Detach();
  grids_.clear();
  widgets_.clear();
  controls_.clear();
  actions_.clear();
  form_ = nullptr;
  setEnabled(false);
  emit FormGone();
}

}  // namespace desktop
