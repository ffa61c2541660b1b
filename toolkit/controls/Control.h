#pragma once
// Base of everything shown on a form: place in the container tree, enabled
// and visible flags, tab order, caption, colours and the input events.
//
// Focus and keys are routed by the form (Form.h): a control only says
// whether it may take the focus and what it does with a key or character
// that its handlers let through.

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "toolkit/controls/Change.h"
#include "toolkit/controls/Component.h"
#include "toolkit/controls/Keys.h"

namespace toolkit {

class Container;
class Form;
class PopupMenu;

enum class Align { alNone, alTop, alBottom, alLeft, alRight, alClient };

// Named colours; the renderer maps them to the desktop's palette.
enum class TColor { clDefault, clWindow, clBtnFace, clInfoBk, clWhite, clBlack };

// Raised for an operation a control cannot do in its state, such as
// focusing a disabled control.
class EInvalidOperation : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Control : public Component {
 public:
  using NotifyEvent = std::function<void(Control& sender)>;
  // key: in/out, 0 stops it; shift: ssShift | ssAlt | ssCtrl.
  using KeyEvent = std::function<void(Control& sender, Word& key, ShiftState shift)>;
  // key: in/out, 0 discards the character.
  using KeyPressEvent = std::function<void(Control& sender, char32_t& key)>;

  explicit Control(Component* owner = nullptr);
  ~Control() override;

  // --- place ---------------------------------------------------------------
  Container* Parent() const { return parent_; }
  // Appends the control at the end of the new parent's tab order.
  void SetParent(Container* parent);
  // The form the control is on (itself for a form), or nullptr.
  Form* ParentForm() const;
  // True when container is this control's parent, or its parent's, and so on.
  bool IsInside(const Container* container) const;

  // --- flags -------------------------------------------------------------
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop) { tabStop_ = tabStop; }
  // Position among the parent's children in tab order, from 0. Setting it
  // moves the control there (the others shift); -1 without a parent.
  int TabOrder() const;
  void SetTabOrder(int order);

  // The control and every container above it are visible / enabled.
  bool Showing() const;
  bool EnabledInTree() const;
  // The control is of a kind that takes the focus (labels, buttons, menu
  // items and containers are not), showing and enabled in its tree.
  bool CanFocus() const;
  // Moves the focus here through the form's focus rule. Throws
  // EInvalidOperation when the control cannot take the focus.
  void SetFocus();
  bool Focused() const;

  // --- looks -------------------------------------------------------------
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The caption for most controls; edits and combo boxes hold their own.
  virtual std::string Text() const { return caption_; }
  virtual void SetText(std::string_view text) { SetCaption(std::string(text)); }
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool Bold() const { return bold_; }
  void SetBold(bool bold);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  toolkit::Align Align() const { return align_; }
  void SetAlign(toolkit::Align align);

  // The menu of a right click or the context-menu key; nullptr for none.
  // Not owned: the form owns both.
  PopupMenu* ContextMenu() const { return contextMenu_; }
  void SetContextMenu(PopupMenu* menu) { contextMenu_ = menu; }

  // --- events ------------------------------------------------------------
  NotifyEvent OnEnter, OnExit, OnClick, OnDblClick;
  KeyEvent OnKeyDown;
  KeyPressEvent OnKeyPress;

  // --- behaviour (called by the form's routing and the input layer) -------
  // Whether this kind of control takes the focus at all.
  virtual bool Focusable() const { return true; }
  // Tab moves inside the control instead of to the next one.
  virtual bool WantsTab() const { return false; }
  // The control's own handling of a key its handlers let through; true
  // when the key was used.
  virtual bool HandleKeyDown(Word& key, ShiftState shift);
  virtual void HandleChar(char32_t key);
  // Focus arrives / leaves: fires OnEnter / OnExit. Controls with work to
  // do on leaving (grids) do it first.
  virtual void DoEnter();
  virtual void DoExit();
  // The focus arrived by Tab and stayed (entries select their text).
  virtual void EnteredByTab() {}
  // A click or double click of a person.
  virtual void Click();
  virtual void DblClick();

  // Tells the form's observers about a visible change.
  void Changed(Change what);

 private:
  friend class Container;
  Container* parent_ = nullptr;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = true;
  bool bold_ = false;
  std::string caption_;
  std::string hint_;
  TColor color_ = TColor::clDefault;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  toolkit::Align align_ = toolkit::Align::alNone;
  PopupMenu* contextMenu_ = nullptr;
};

// Fires a notify event through a copy, so that a handler may replace or
// detach itself while it runs.
inline void Fire(const Control::NotifyEvent& event, Control& sender) {
  if (auto handler = event) handler(sender);
}

}  // namespace toolkit
