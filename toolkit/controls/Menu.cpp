#include "toolkit/controls/Menu.h"

#include <algorithm>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Form.h"

namespace toolkit {

MenuItem::~MenuItem() {
  for (MenuItem* item : items_) item->parent_ = nullptr;
  if (parent_) parent_->Remove(this);
  if (menu_) {
    auto& top = menu_->items_;
    top.erase(std::remove(top.begin(), top.end(), this), top.end());
  }
}

void MenuItem::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed();
}

std::string MenuItem::PlainCaption() const {
  std::string plain;
  for (std::size_t i = 0; i < caption_.size(); ++i) {
    if (caption_[i] == '&' && i + 1 < caption_.size()) ++i;
    plain.push_back(caption_[i]);
  }
  return plain;
}

void MenuItem::SetKeyHint(std::string hint) {
  if (hint == keyHint_) return;
  keyHint_ = std::move(hint);
  Changed();
}

void MenuItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void MenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

void MenuItem::SetShortCut(Word key, ShiftState shift) {
  shortCutKey_ = key;
  shortCutShift_ = shift;
  Changed();
}

void MenuItem::Add(MenuItem* item) {
  if (item->parent_) item->parent_->Remove(item);
  item->parent_ = this;
  items_.push_back(item);
  Changed();
}

void MenuItem::Remove(MenuItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  if (item->parent_ == this) item->parent_ = nullptr;
}

MainMenu* MenuItem::Menu() const {
  const MenuItem* top = this;
  while (top->parent_) top = top->parent_;
  return top->menu_;
}

bool MenuItem::EnabledInTree() const {
  for (const MenuItem* item = this; item; item = item->parent_)
    if (!item->enabled_ || !item->visible_) return false;
  return true;
}

void MenuItem::Click() {
  if (!EnabledInTree()) return;
  if (auto handler = OnClick) handler(*this);
}

void MenuItem::Changed() {
  MainMenu* menu = Menu();
  if (menu && menu->FormOf() && menu->FormOf()->Observed()) menu->FormOf()->NotifyMenu(*this);
}

MainMenu::~MainMenu() {
  for (MenuItem* item : items_) item->menu_ = nullptr;
  if (form_ && form_->Menu() == this) form_->SetMenu(nullptr);
}

void MainMenu::Add(MenuItem* item) {
  item->menu_ = this;
  items_.push_back(item);
}

namespace {

MenuItem* FindIn(const std::vector<MenuItem*>& items, Word key, ShiftState shift) {
  for (MenuItem* item : items) {
    if (item->ShortCutKey() == key && item->ShortCutShift() == shift && item->EnabledInTree()) return item;
    if (MenuItem* found = FindIn(item->Items(), key, shift)) return found;
  }
  return nullptr;
}

}  // namespace

MenuItem* MainMenu::FindShortCut(Word key, ShiftState shift) const {
  if (key == 0) return nullptr;
  return FindIn(items_, key, shift);
}

void PopupMenu::Popup(Control& at) {
  std::vector<MenuItem*> shown;
  for (MenuItem* item : Items())
    if (item->Visible()) shown.push_back(item);
  if (shown.empty()) return;
  MenuItem* chosen = Application::Instance().Dialogs().ChooseMenuItem(shown, at);
  if (chosen && std::find(shown.begin(), shown.end(), chosen) != shown.end()) chosen->Click();
}

}  // namespace toolkit
