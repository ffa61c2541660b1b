#pragma once
// A window: the root of a container tree, the owner of its active control,
// the focus rule and the routing of keys.
//
// Focus change from A to B: ActiveControl becomes B; A's OnExit; OnExit of
// each container of A that does not contain B, inner to outer; OnEnter of
// each container of B that does not contain A, outer to inner; B's OnEnter.
// An exception in an exit handler stops the chain and puts ActiveControl
// back on A. A SetFocus asked for by a handler during the chain does not
// start a second chain: it replaces the target, and the chain goes on with
// the exits still owed and the enters of the new target. When the chain is
// stopped by an exception, the focus ends on the last target a handler
// asked for (running only the enters not yet run for it), else on A; the
// exception then propagates.
//
// Keys: with KeyPreview the form's OnKeyDown sees a key first; then the
// focused control's OnKeyDown; then the control's own handling; Tab not used
// by the control, and Ctrl+Tab always, moves the focus in tab order (Shift
// backwards); F1 not used shows the form's help. A key that produces a
// character goes on as OnKeyPress (form first with KeyPreview, then the
// control) and then to the control. A key or character set to 0 goes no
// further.

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls/Container.h"

namespace toolkit {

class Application;
class MainMenu;

enum class FormStyle { fsNormal, fsMDIChild };
enum class WindowState { wsNormal, wsMinimized, wsMaximized };
enum class CloseAction { caNone, caHide, caFree, caMinimize };

// Modal results.
enum : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

class Form : public Container {
 public:
  using CloseEvent = std::function<void(Control& sender, CloseAction& action)>;

  explicit Form(Component* owner = nullptr);
  ~Form() override;

  // --- focus -------------------------------------------------------------
  Control* ActiveControl() const { return activeControl_; }
  // Focuses the control through the focus rule; nullptr clears the focus
  // (running the exits of the focused control). Throws EInvalidOperation
  // for a control of another form or one that cannot take the focus.
  void SetActiveControl(Control* control);
  // Moves the focus to the next (or previous) control in tab order that can
  // take it and is a tab stop, wrapping around. Returns false when none.
  bool SelectNext(bool forward);
  // All controls of the form that can take the focus, in tab order.
  std::vector<Control*> TabList() const;

  // --- keys --------------------------------------------------------------
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool preview) { keyPreview_ = preview; }
  // Routes a key press to the focused control (see above).
  void KeyDown(Word& key, ShiftState shift);
  void KeyPress(char32_t& key);

  // --- window ------------------------------------------------------------
  toolkit::FormStyle FormStyle() const { return style_; }
  // An MDI child is visible from the moment it gets this style.
  void SetFormStyle(toolkit::FormStyle style);
  toolkit::WindowState WindowState() const { return windowState_; }
  void SetWindowState(toolkit::WindowState state);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int context) { helpContext_ = context; }
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(std::string file) { helpFile_ = std::move(file); }
  // The form's help as rich text: F1, when no control uses it, shows it
  // through the dialog service. Empty: F1 does nothing.
  const std::string& HelpText() const { return helpText_; }
  void SetHelpText(std::string html) { helpText_ = std::move(html); }
  MainMenu* Menu() const { return menu_; }
  void SetMenu(MainMenu* menu);
  int ModalResult() const { return modalResult_; }
  // On a modal form a non-zero result closes it.
  void SetModalResult(int result);
  bool Modal() const { return modal_; }

  // Makes the form visible and the active window (OnActivate when it was
  // not the active one).
  void Show();
  // Runs the form through the dialog service and returns its modal result
  // when it closes.
  int ShowModal();
  // OnClose decides: caNone keeps the form, caHide hides it (and ends a
  // modal run), caMinimize minimizes it, caFree disposes of it once the
  // current input has been handled. Default: caHide for a modal form,
  // caFree otherwise.
  void Close();
  // Repaints the whole form.
  void Refresh();
  int RefreshCount() const { return refreshCount_; }

  NotifyEvent OnCreate, OnActivate, OnDeactivate, OnDestroy;
  // The form has just become visible (Show, or a modal run beginning): the
  // place to give its first control the focus.
  NotifyEvent OnShow;
  CloseEvent OnClose;

  // --- observers ---------------------------------------------------------
  void AddObserver(ControlObserver* observer);
  void RemoveObserver(ControlObserver* observer);
  bool Observed() const { return !observers_.empty(); }
  void NotifyObservers(Control& control, Change what);
  void NotifyMenu(MenuItem& item);

  // Called by the application.
  virtual void DoCreate();
  void DoActivate();
  void DoDeactivate();
  void BeginModal();
  void EndModal();

 private:
  struct FocusChange;
  friend class Control;
  friend class Container;
  void MoveFocus(Control* target);
  void RunExits(FocusChange& change);
  void RunEnters(FocusChange& change);
  void Settle(FocusChange& change);
  void SetActive(Control* control);
  void Forget(Control* control);  // a control of this form is being destroyed
  bool RouteKeyDown(Control& target, Word& key, ShiftState shift);
  bool MenuShortCut(Word key, ShiftState shift);

  Control* activeControl_ = nullptr;
  FocusChange* change_ = nullptr;
  bool keyPreview_ = false;
  bool modal_ = false;
  int modalResult_ = mrNone;
  int refreshCount_ = 0;
  int helpContext_ = 0;
  std::string helpFile_;
  std::string helpText_;
  toolkit::FormStyle style_ = toolkit::FormStyle::fsNormal;
  toolkit::WindowState windowState_ = toolkit::WindowState::wsNormal;
  MainMenu* menu_ = nullptr;
  std::vector<ControlObserver*> observers_;
};

}  // namespace toolkit
