#pragma once
// A form's menu bar and its items. Items never take the focus; a click on a
// disabled (or hidden) item does nothing.

#include <functional>
#include <string>
#include <vector>

#include "toolkit/controls/Component.h"
#include "toolkit/controls/Keys.h"

namespace toolkit {

class Control;
class Form;
class MainMenu;

class MenuItem : public Component {
 public:
  using NotifyEvent = std::function<void(MenuItem& sender)>;

  explicit MenuItem(Component* owner = nullptr) : Component(owner) {}
  ~MenuItem() override;

  // Caption with '&' before the accelerator letter ("&Incluir").
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  // The caption as read: without the accelerator marks ("&&" is one '&').
  std::string PlainCaption() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // A key with shift state that clicks the item from anywhere on its form;
  // key 0 for none.
  Word ShortCutKey() const { return shortCutKey_; }
  ShiftState ShortCutShift() const { return shortCutShift_; }
  void SetShortCut(Word key, ShiftState shift = 0);
  // The key that runs the command where the form handles it itself ("F2",
  // "Alt+PgDown"): only shown beside the caption.
  const std::string& KeyHint() const { return keyHint_; }
  void SetKeyHint(std::string hint);

  // Sub-items, in menu order.
  void Add(MenuItem* item);
  void Remove(MenuItem* item);
  const std::vector<MenuItem*>& Items() const { return items_; }
  MenuItem* ParentItem() const { return parent_; }
  MainMenu* Menu() const;

  // Fires OnClick when the item and the items above it are enabled and
  // visible; does nothing otherwise.
  void Click();
  bool EnabledInTree() const;

  NotifyEvent OnClick;

 private:
  friend class MainMenu;
  void Changed();
  std::string caption_;
  bool enabled_ = true;
  bool visible_ = true;
  Word shortCutKey_ = 0;
  ShiftState shortCutShift_ = 0;
  std::string keyHint_;
  MenuItem* parent_ = nullptr;
  MainMenu* menu_ = nullptr;  // set on top-level items
  std::vector<MenuItem*> items_;
};

class MainMenu : public Component {
 public:
  explicit MainMenu(Component* owner = nullptr) : Component(owner) {}
  ~MainMenu() override;

  // Top-level items.
  void Add(MenuItem* item);
  const std::vector<MenuItem*>& Items() const { return items_; }
  Form* FormOf() const { return form_; }
  void SetForm(Form* form) { form_ = form; }
  // The enabled item anywhere in the menu with that shortcut, or nullptr.
  MenuItem* FindShortCut(Word key, ShiftState shift) const;

 private:
  friend class MenuItem;
  std::vector<MenuItem*> items_;
  Form* form_ = nullptr;
};

// The menu a control shows at a right click, or at the context-menu key or
// Shift+F10 while it has the focus. Its items' shortcuts are not handled:
// give an item a shortcut in the form's main menu instead.
class PopupMenu : public Component {
 public:
  explicit PopupMenu(Component* owner = nullptr) : Component(owner) {}

  void Add(MenuItem* item) { root_.Add(item); }
  const std::vector<MenuItem*>& Items() const { return root_.Items(); }

  // Offers the visible items through the dialog service, at the control,
  // and clicks the one the person chose, if any and enabled.
  void Popup(Control& at);

 private:
  MenuItem root_;  // the items' parent, never shown
};

}  // namespace toolkit
