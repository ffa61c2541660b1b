#include "toolkit/controls/Control.h"

#include "toolkit/controls/Container.h"
#include "toolkit/controls/Form.h"

namespace toolkit {

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
  if (Form* form = ParentForm(); form && form != this) {
    form->NotifyObservers(*this, Change::Removed);
    form->Forget(this);
  }
  if (parent_) parent_->Detach(this);
}

void Control::SetParent(Container* parent) {
  if (parent == parent_) return;
  for (const Container* c = parent; c; c = c->Parent())
    if (c == this) throw std::invalid_argument("A control cannot be placed inside itself: " + Name());
  if (Form* form = ParentForm(); form && form != this) form->Forget(this);
  if (parent_) parent_->Detach(this);
  parent_ = parent;
  if (parent_) parent_->Attach(this);
}

Form* Control::ParentForm() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(const_cast<Control*>(c));
}

bool Control::IsInside(const Container* container) const {
  for (const Container* c = parent_; c; c = c->parent_)
    if (c == container) return true;
  return false;
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Change::Enabled);
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Change::Visible);
}

int Control::TabOrder() const { return parent_ ? parent_->IndexOf(this) : -1; }

void Control::SetTabOrder(int order) {
  if (!parent_) return;
  parent_->MoveChild(this, order);
}

bool Control::Showing() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool Control::EnabledInTree() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

bool Control::CanFocus() const { return Focusable() && ParentForm() && Showing() && EnabledInTree(); }

void Control::SetFocus() {
  Form* form = ParentForm();
  if (!form) throw EInvalidOperation("Cannot focus '" + Name() + "': it is on no form");
  form->SetActiveControl(this);
}

bool Control::Focused() const {
  Form* form = ParentForm();
  return form && form->ActiveControl() == this;
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed(Change::Text);
}

void Control::SetHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  Changed(Change::Hint);
}

void Control::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed(Change::Color);
}

void Control::SetBold(bool bold) {
  if (bold == bold_) return;
  bold_ = bold;
  Changed(Change::Font);
}

void Control::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  left_ = left, top_ = top, width_ = width, height_ = height;
  Changed(Change::Bounds);
}

void Control::SetAlign(toolkit::Align align) {
  if (align == align_) return;
  align_ = align;
  Changed(Change::Bounds);
}

bool Control::HandleKeyDown(Word&, ShiftState) { return false; }

void Control::HandleChar(char32_t) {}

void Control::DoEnter() { Fire(OnEnter, *this); }

void Control::DoExit() { Fire(OnExit, *this); }

void Control::Click() { Fire(OnClick, *this); }

void Control::DblClick() { Fire(OnDblClick, *this); }

void Control::Changed(Change what) {
  Form* form = ParentForm();
  if (form && form->Observed()) form->NotifyObservers(*this, what);
}

}  // namespace toolkit
