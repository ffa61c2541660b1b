#pragma once
// Single-line text entries. OnChange fires whenever the text really
// changes, by typing or by the program (setting an equal text fires
// nothing). Keys: Left, Right, Home and End move the caret, with Shift
// they extend the selection from its other end; Ctrl+A selects all;
// typing replaces the selection; entering by Tab selects all.

#include <memory>
#include <string>

#include "toolkit/controls/Control.h"
#include "toolkit/controls/EditMask.h"

namespace toolkit {

enum class CharCase { ecNormal, ecUpperCase, ecLowerCase };

class Edit : public Control {
 public:
  explicit Edit(Component* owner = nullptr) : Control(owner) {}

  std::string Text() const override;
  // Applies the character case; does not cut to MaxLength (that limits
  // typing only). Caret to the end, nothing selected.
  void SetText(std::string_view text) override;
  // What the entry shows (the text, or the masked form of it).
  virtual std::string EditText() const { return Text(); }

  int MaxLength() const { return maxLength_; }  // 0: no limit
  void SetMaxLength(int length) { maxLength_ = length; }
  toolkit::CharCase CharCase() const { return charCase_; }
  void SetCharCase(toolkit::CharCase charCase);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);

  // Caret and selection, in characters.
  int SelStart() const { return selStart_; }
  int SelLength() const { return selLength_; }
  virtual void SetSelection(int start, int length);
  void SelectAll() { SetSelection(0, TextLength()); }
  virtual int TextLength() const { return static_cast<int>(chars_.size()); }
  // The caret: the end of the selection the keys move.
  int Caret() const;

  NotifyEvent OnChange;

  bool HandleKeyDown(Word& key, ShiftState shift) override;
  void HandleChar(char32_t key) override;
  void EnteredByTab() override;

 protected:
  char32_t ApplyCase(char32_t c) const;
  // Replaces the text, keeping the caret where given; fires OnChange when
  // it differs.
  void Replace(std::u32string chars, int caret);
  void TextChanged();

 private:
  void DeleteSelection(std::u32string& chars, int& caret) const;
  void MoveCaret(int to, bool extend);

  std::u32string chars_;
  int maxLength_ = 0;
  toolkit::CharCase charCase_ = toolkit::CharCase::ecNormal;
  bool readOnly_ = false;
  int selStart_ = 0;
  int selLength_ = 0;
  bool caretAtStart_ = false;  // a selection made leftwards
};

// An edit with an optional edit mask (EditMask.h); without a mask it is a
// plain edit.
class MaskEdit : public Edit {
 public:
  explicit MaskEdit(Component* owner = nullptr) : Edit(owner) {}

  const std::string& EditMaskText() const { return maskText_; }
  // Throws std::invalid_argument for a malformed mask; the text is kept
  // and spread over the new mask.
  void SetEditMask(std::string mask);

  std::string Text() const override;
  void SetText(std::string_view text) override;
  std::string EditText() const override;
  void SetSelection(int start, int length) override;
  int TextLength() const override;

  bool HandleKeyDown(Word& key, ShiftState shift) override;
  void HandleChar(char32_t key) override;

 private:
  bool Masked() const { return masked_ != nullptr; }
  void Edited(const std::string& before);

  std::string maskText_;
  std::unique_ptr<EditMask> mask_;
  std::unique_ptr<MaskedText> masked_;
};

}  // namespace toolkit
