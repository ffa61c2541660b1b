#include "toolkit/controls/ComboBox.h"

#include <stdexcept>

#include "toolkit/controls/Chars.h"

namespace toolkit {

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  Changed(Change::Items);
}

void ComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  Changed(Change::Items);
}

void ComboBox::Clear() { SetItems({}); }

void ComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= ItemCount())
    throw std::out_of_range("ComboBox '" + Name() + "': item index " + std::to_string(index) + " out of range (" +
                            std::to_string(ItemCount()) + " items)");
  if (index == itemIndex_) return;
  itemIndex_ = index;
  Changed(Change::ItemIndex);
}

std::string ComboBox::Text() const { return itemIndex_ < 0 ? std::string() : items_[itemIndex_]; }

void ComboBox::SetText(std::string_view text) {
  for (int i = 0; i < ItemCount(); ++i)
    if (items_[i] == text) return SetItemIndex(i);
  SetItemIndex(-1);
}

void ComboBox::Choose(int index) {
  if (index == itemIndex_) return;
  SetItemIndex(index);
  Click();
  Fire(OnChange, *this);
}

bool ComboBox::HandleKeyDown(Word& key, ShiftState) {
  if (items_.empty()) return key == VK_UP || key == VK_DOWN || key == VK_HOME || key == VK_END;
  int last = ItemCount() - 1;
  switch (key) {
    case VK_UP: Choose(itemIndex_ <= 0 ? 0 : itemIndex_ - 1); return true;
    case VK_DOWN: Choose(itemIndex_ >= last ? last : itemIndex_ + 1); return true;
    case VK_HOME: Choose(0); return true;
    case VK_END: Choose(last); return true;
    default: return false;
  }
}

void ComboBox::HandleChar(char32_t key) {
  if (key < 32 || items_.empty()) return;
  char32_t want = UpperChar(key);
  int count = ItemCount();
  for (int step = 1; step <= count; ++step) {
    int i = (itemIndex_ + step) % count;
    std::u32string item = DecodeUtf8(items_[i]);
    if (!item.empty() && UpperChar(item[0]) == want) return Choose(i);
  }
}

}  // namespace toolkit
