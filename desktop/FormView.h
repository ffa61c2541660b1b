#pragma once
// A toolkit form rendered with Qt widgets, one widget per control, built
// from the form's component tree. The widgets only show the toolkit's
// state: every key, click and choice goes back through the toolkit's input
// layer, and the Qt focus follows the form's active control, whatever Qt
// did with it meanwhile (a click on a button, a dialog closing).
//
// The form's horizontal measures are widened by one factor, when the font
// on screen needs it, so that every caption fits (ScaleX).
#include <QWidget>
#include <unordered_map>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/Change.h"

class QAction;
class QMouseEvent;
class QMenuBar;

namespace toolkit {
class Container;
class Control;
class DBGrid;
class Form;
class MenuItem;
}  // namespace toolkit

namespace desktop {

class GridView;

class FormView : public QWidget, public toolkit::ControlObserver, public toolkit::ApplicationObserver {
  Q_OBJECT

 public:
  // Observes the form until the view or the form goes, whichever first.
  explicit FormView(toolkit::Form& form, QWidget* parent = nullptr);
  ~FormView() override;

  toolkit::Form* Form() const { return form_; }
  // The widget showing the control, or nullptr.
  QWidget* WidgetOf(const toolkit::Control* control) const;
  // The form's client size: its own bounds, widened by ScaleX, below the
  // menu bar.
  QSize sizeHint() const override;
  // Screen pixels per unit of the form's widths: the least that fits every
  // label and button caption (1 to 1.6).
  double ScaleX() const { return scaleX_; }

  // A key event for one of the form's widgets, handled as the form's key;
  // false when the widget is not the form's.
  bool HandleKeyOf(QObject* watched, QEvent* event);

  void ControlChanged(toolkit::Control& control, toolkit::Change what) override;
  void MenuChanged(toolkit::MenuItem& item) override;
  void RepaintResumed() override;
  void FormRemoved(toolkit::Form& form) override;

 signals:
  // The form's caption or window state changed; the form is being destroyed.
  void CaptionChanged(const QString& caption);
  void WindowStateChanged();
  void FormGone();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Build(toolkit::Container& container, QWidget* parentWidget);
  QWidget* MakeWidget(toolkit::Control& control, QWidget* parent);
  QWidget* MakeNavigator(toolkit::Control& control, QWidget* parent);
  void BuildMenu();
  void Watch(QWidget* widget, toolkit::Control& control);
  void SyncAll();
  void Sync(toolkit::Control& control, toolkit::Change what);
  void SyncText(toolkit::Control& control, QWidget* widget);
  void SyncLook(toolkit::Control& control, QWidget* widget);
  void SyncAction(toolkit::MenuItem& item);
  void SyncFocus();
  void LayOutAll();
  void LayOut(const toolkit::Container& container, QWidget* widget);
  bool HandleKey(QEvent* event);
  bool HandleMouse(toolkit::Control& control, QObject* watched, QEvent* event);
  bool HandleEditMouse(toolkit::Control& control, QObject* watched, QEvent* event);
  bool HandleContextClick(toolkit::Control& control, QObject* watched, QMouseEvent* mouse);
  void QtFocusChanged(QWidget* now);
  void TakeCtrlTab();
  QWidget* FocusTarget() const;
  double MeasureScale() const;
  double GridScale(const toolkit::DBGrid& grid) const;
  void Forget(toolkit::Control& control);
  void DetachAll();

  toolkit::Form* form_;
  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
  std::unordered_map<const toolkit::Control*, QWidget*> widgets_;
  std::unordered_map<const QObject*, toolkit::Control*> controls_;
  std::unordered_map<const toolkit::MenuItem*, QAction*> actions_;
  std::unordered_map<const toolkit::DBGrid*, GridView*> grids_;
  bool stale_ = false;  // changes skipped while repainting was suspended
  bool syncingFocus_ = false;
  double scaleX_ = 1.0;
  int dragAnchor_ = -1;  // where a mouse selection in an entry started
};

}  // namespace desktop
