#include "toolkit/controls/Edit.h"

#include <algorithm>
#include <cstdlib>

#include "toolkit/controls/Chars.h"

namespace toolkit {

std::string Edit::Text() const { return EncodeUtf8(chars_); }

void Edit::SetText(std::string_view text) {
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) c = ApplyCase(c);
  Replace(std::move(chars), static_cast<int>(chars.size()));
}

char32_t Edit::ApplyCase(char32_t c) const {
  switch (charCase_) {
    case toolkit::CharCase::ecUpperCase: return UpperChar(c);
    case toolkit::CharCase::ecLowerCase: return LowerChar(c);
    default: return c;
  }
}

void Edit::SetCharCase(toolkit::CharCase charCase) {
  charCase_ = charCase;
  std::u32string chars = chars_;
  for (char32_t& c : chars) c = ApplyCase(c);
  Replace(std::move(chars), selStart_);
}

void Edit::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  Changed(Change::ReadOnly);
}

void Edit::SetSelection(int start, int length) {
  int size = TextLength();
  start = std::clamp(start, 0, size);
  length = std::clamp(length, 0, size - start);
  caretAtStart_ = false;
  if (start == selStart_ && length == selLength_) return;
  selStart_ = start;
  selLength_ = length;
  Changed(Change::Selection);
}

void Edit::Replace(std::u32string chars, int caret) {
  bool differs = chars != chars_;
  chars_ = std::move(chars);
  selStart_ = std::clamp(caret, 0, static_cast<int>(chars_.size()));
  selLength_ = 0;
  caretAtStart_ = false;
  if (differs) TextChanged();
  else Changed(Change::Selection);
}

void Edit::TextChanged() {
  Changed(Change::Text);
  Fire(OnChange, *this);
}

void Edit::DeleteSelection(std::u32string& chars, int& caret) const {
  chars.erase(selStart_, selLength_);
  caret = selStart_;
}

bool Edit::HandleKeyDown(Word& key, ShiftState shift) {
  const int size = static_cast<int>(chars_.size());
  const bool extend = (shift & ssShift) != 0;
  const int caret = Caret();
  switch (key) {
    case VK_DELETE: {
      if (readOnly_) return true;
      std::u32string chars = chars_;
      int at = selStart_;
      if (selLength_ > 0) DeleteSelection(chars, at);
      else if (at < size) chars.erase(at, 1);
      Replace(std::move(chars), at);
      return true;
    }
    // Without Shift an arrow first collapses a selection to its side.
    case VK_LEFT: MoveCaret(!extend && selLength_ ? selStart_ : caret - 1, extend); return true;
    case VK_RIGHT: MoveCaret(!extend && selLength_ ? selStart_ + selLength_ : caret + 1, extend); return true;
    case VK_HOME: MoveCaret(0, extend); return true;
    case VK_END: MoveCaret(size, extend); return true;
    case 'A':
      if (!(shift & ssCtrl)) return false;
      SelectAll();
      return true;
    default: return false;
  }
}

int Edit::Caret() const { return caretAtStart_ ? selStart_ : selStart_ + selLength_; }

void Edit::MoveCaret(int to, bool extend) {
  to = std::clamp(to, 0, TextLength());
  if (!extend) return SetSelection(to, 0);
  // The end away from the caret stays put while Shift extends.
  const int anchor = caretAtStart_ ? selStart_ + selLength_ : selStart_;
  SetSelection(std::min(anchor, to), std::abs(to - anchor));
  caretAtStart_ = to < anchor;
}

void Edit::EnteredByTab() { SelectAll(); }

void Edit::HandleChar(char32_t key) {
  if (readOnly_) return;
  std::u32string chars = chars_;
  int caret = selStart_;
  if (key == 8) {
    if (selLength_ > 0) DeleteSelection(chars, caret);
    else if (caret > 0) chars.erase(--caret, 1);
    Replace(std::move(chars), caret);
    return;
  }
  if (key < 32) return;
  int after = static_cast<int>(chars.size()) - selLength_ + 1;
  if (maxLength_ > 0 && after > maxLength_) return;
  DeleteSelection(chars, caret);
  chars.insert(chars.begin() + caret, ApplyCase(key));
  Replace(std::move(chars), caret + 1);
}

// --- MaskEdit --------------------------------------------------------------

void MaskEdit::SetEditMask(std::string mask) {
  std::string before = Text();
  if (mask.empty()) {
    masked_.reset();
    mask_.reset();
    maskText_.clear();
    Edit::SetText(before);
    return;
  }
  auto parsed = std::make_unique<EditMask>(mask);
  auto text = std::make_unique<MaskedText>(*parsed);
  text->SetValue(before);
  mask_ = std::move(parsed);
  masked_ = std::move(text);
  maskText_ = std::move(mask);
  Edited(before);
}

std::string MaskEdit::Text() const { return Masked() ? masked_->Value() : Edit::Text(); }

std::string MaskEdit::EditText() const { return Masked() ? masked_->Display() : Edit::Text(); }

int MaskEdit::TextLength() const { return Masked() ? masked_->Length() : Edit::TextLength(); }

void MaskEdit::SetText(std::string_view text) {
  if (!Masked()) return Edit::SetText(text);
  std::string before = Text();
  std::u32string chars = DecodeUtf8(text);
  for (char32_t& c : chars) c = ApplyCase(c);
  masked_->SetValue(EncodeUtf8(chars));
  Edit::SetSelection(masked_->Caret(), 0);
  Edited(before);
}

void MaskEdit::SetSelection(int start, int length) {
  if (Masked()) masked_->SetCaret(start);
  Edit::SetSelection(start, length);
}

void MaskEdit::Edited(const std::string& before) {
  if (Text() != before) TextChanged();
  else Changed(Change::Selection);
}

bool MaskEdit::HandleKeyDown(Word& key, ShiftState shift) {
  if (!Masked()) return Edit::HandleKeyDown(key, shift);
  if (key != VK_DELETE) {
    bool used = Edit::HandleKeyDown(key, shift);
    masked_->SetCaret(SelStart());
    return used;
  }
  if (ReadOnly()) return true;
  std::string before = Text();
  masked_->SetCaret(SelStart());
  if (SelLength() == TextLength()) masked_->Clear();
  else masked_->Delete();
  Edited(before);
  return true;
}

void MaskEdit::HandleChar(char32_t key) {
  if (!Masked()) return Edit::HandleChar(key);
  if (ReadOnly()) return;
  std::string before = Text();
  masked_->SetCaret(SelStart());
  // Typing over a whole selection starts again from an empty entry.
  if (SelLength() > 0 && SelLength() == TextLength() && key != 8) masked_->Clear();
  if (key == 8) {
    if (SelLength() == TextLength() && SelLength() > 0) masked_->Clear();
    else masked_->Backspace();
  } else if (key >= 32) {
    if (!masked_->Type(ApplyCase(key))) return;
  }
  Edit::SetSelection(masked_->Caret(), 0);
  Edited(before);
}

}  // namespace toolkit
