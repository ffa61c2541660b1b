#pragma once
// A drop-down list: the user chooses one of the items, no free text.

#include <string>
#include <vector>

#include "toolkit/controls/Control.h"

namespace toolkit {

class ComboBox : public Control {
 public:
  explicit ComboBox(Component* owner = nullptr) : Control(owner) {}

  const std::vector<std::string>& Items() const { return items_; }
  int ItemCount() const { return static_cast<int>(items_.size()); }
  void AddItem(std::string item);
  void SetItems(std::vector<std::string> items);  // selection cleared
  // Items and selection cleared.
  void Clear();

  int ItemIndex() const { return itemIndex_; }
  // -1 selects nothing. Throws std::out_of_range for any other index
  // outside the items. Fires no event (the program chose).
  void SetItemIndex(int index);
  // The selected item, or "".
  std::string Text() const override;
  // Selects the item equal to text, or nothing.
  void SetText(std::string_view text) override;

  // A person chose the item: selection, then OnClick and OnChange when the
  // selection changed.
  void Choose(int index);

  NotifyEvent OnChange;

  // Up/Down/Home/End move the selection; a typed character selects the
  // next item starting with it.
  bool HandleKeyDown(Word& key, ShiftState shift) override;
  void HandleChar(char32_t key) override;

 private:
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

}  // namespace toolkit
