#include "toolkit/controls/Form.h"

#include <algorithm>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Menu.h"

namespace toolkit {

Form::Form(Component* owner) : Container(owner) {
  SetVisible(false);
  SetTabStop(false);
}

Form::~Form() {
  Fire(OnDestroy, *this);
  // The components call back into the form (focus, observers) as they die,
  // so they go while the form is still whole.
  observers_.clear();
  if (menu_) menu_->SetForm(nullptr);
  DestroyComponents();
  Application::Instance().FormDestroyed(*this);
}

void Form::SetFormStyle(toolkit::FormStyle style) {
  style_ = style;
  if (style == toolkit::FormStyle::fsMDIChild) SetVisible(true);
}

void Form::SetWindowState(toolkit::WindowState state) {
  if (state == windowState_) return;
  windowState_ = state;
  Changed(Change::WindowState);
}

void Form::SetMenu(MainMenu* menu) {
  menu_ = menu;
  if (menu_) menu_->SetForm(this);
}

void Form::SetModalResult(int result) {
  modalResult_ = result;
  if (modal_ && result != mrNone) EndModal();
}

void Form::Show() {
  const bool wasVisible = Visible();
  SetVisible(true);
  if (!wasVisible) Fire(OnShow, *this);
  Application::Instance().Activate(*this);
}

int Form::ShowModal() {
  if (modal_) throw EInvalidOperation("Form '" + Name() + "' is already shown modally");
  return Application::Instance().Dialogs().RunModal(*this);
}

void Form::BeginModal() {
  modal_ = true;
  modalResult_ = mrNone;
  SetVisible(true);
  Fire(OnShow, *this);
}

void Form::EndModal() {
  modal_ = false;
  if (modalResult_ == mrNone) modalResult_ = mrCancel;
  SetVisible(false);
}

void Form::Close() {
  CloseAction action = modal_ ? CloseAction::caHide : CloseAction::caFree;
  if (auto handler = OnClose) handler(*this, action);
  switch (action) {
    case CloseAction::caNone: return;
    case CloseAction::caHide:
      if (modal_) EndModal();
      else SetVisible(false);
      return;
    case CloseAction::caMinimize: SetWindowState(toolkit::WindowState::wsMinimized); return;
    case CloseAction::caFree:
      if (modal_) EndModal();
      Application::Instance().Release(*this);
      return;
  }
}

void Form::Refresh() {
  ++refreshCount_;
  Changed(Change::Repaint);
}

void Form::DoCreate() { Fire(OnCreate, *this); }

void Form::DoActivate() { Fire(OnActivate, *this); }

void Form::DoDeactivate() { Fire(OnDeactivate, *this); }

// --- observers ---------------------------------------------------------------

void Form::AddObserver(ControlObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Form::RemoveObserver(ControlObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Form::NotifyObservers(Control& control, Change what) {
  for (std::size_t i = 0; i < observers_.size(); ++i) observers_[i]->ControlChanged(control, what);
}

void Form::NotifyMenu(MenuItem& item) {
  for (std::size_t i = 0; i < observers_.size(); ++i) observers_[i]->MenuChanged(item);
}

// --- keys ----------------------------------------------------------------------

void Form::KeyDown(Word& key, ShiftState shift) {
  Control* target = activeControl_ ? activeControl_ : this;
  if (MenuShortCut(key, shift)) {
    key = 0;
    return;
  }
  if (keyPreview_ && target != this) {
    if (auto handler = OnKeyDown) handler(*this, key, shift);
    if (key == 0) return;
  }
  if (RouteKeyDown(*target, key, shift)) return;
  if (((key == VK_APPS && shift == 0) || (key == VK_F10 && shift == ssShift)) && target->ContextMenu()) {
    key = 0;
    target->ContextMenu()->Popup(*target);
    return;
  }
  if (key == VK_F1 && shift == 0 && !helpText_.empty()) {
    key = 0;
    Application::Instance().Dialogs().ShowHelp(Caption(), helpText_);
    return;
  }
  // Ctrl+Tab leaves even a control that keeps Tab for itself (a grid).
  if (key == VK_TAB && !(shift & ssAlt)) {
    SelectNext(!(shift & ssShift));
    key = 0;
  }
}

// The control's handler, then its own handling; true when the key is used.
bool Form::RouteKeyDown(Control& target, Word& key, ShiftState shift) {
  if (auto handler = target.OnKeyDown) handler(target, key, shift);
  if (key == 0) return true;
  if (key == VK_TAB && !target.WantsTab()) return false;
  if (target.HandleKeyDown(key, shift)) {
    return true;
  }
  return key == 0;
}

void Form::KeyPress(char32_t& key) {
  Control* target = activeControl_ ? activeControl_ : this;
  if (keyPreview_ && target != this) {
    if (auto handler = OnKeyPress) handler(*this, key);
    if (key == 0) return;
  }
  if (auto handler = target->OnKeyPress) handler(*target, key);
  if (key == 0) return;
  target->HandleChar(key);
}

bool Form::MenuShortCut(Word key, ShiftState shift) {
  if (!menu_) return false;
  MenuItem* item = menu_->FindShortCut(key, shift);
  if (!item) return false;
  item->Click();
  return true;
}

}  // namespace toolkit
