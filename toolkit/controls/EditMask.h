#pragma once
// Edit masks: "mask;save-literals;blank".
//
// Mask characters: '>' upper-cases what follows, '<' lower-cases it, "<>"
// stops either; 'L' letter, 'l' optional letter; 'A' letter or digit, 'a'
// optional one; 'C' any character, 'c' optional one; '0' digit, '9' optional
// digit, '#' optional digit or sign; '\' makes the next character a
// literal; '!' is accepted and has no effect; every other character is a
// literal shown in place. Save-literals '0' leaves the literals out of the
// value ("1" or absent keeps them); blank is the character shown in an
// empty position (default '_').

#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

class EditMask {
 public:
  enum class Kind { Literal, Letter, AlphaNumeric, AnyChar, Digit, DigitOrSign };
  enum class Case { None, Upper, Lower };
  struct Position {
    Kind kind = Kind::Literal;
    bool required = false;
    Case letterCase = Case::None;
    char32_t literal = 0;
  };

  EditMask() = default;
  // Throws std::invalid_argument for a mask that ends in '\', a
  // save-literals part other than 0 or 1, or a blank part longer than one
  // character.
  explicit EditMask(std::string_view text);

  bool Empty() const { return positions_.empty(); }
  const std::vector<Position>& Positions() const { return positions_; }
  bool SaveLiterals() const { return saveLiterals_; }
  char32_t Blank() const { return blank_; }

  // The character as it is stored at that position (case applied), or 0
  // when the position does not take it.
  char32_t Accept(std::size_t position, char32_t c) const;

 private:
  std::vector<Position> positions_;
  bool saveLiterals_ = true;
  char32_t blank_ = '_';
};

// The contents of a masked entry: one cell per mask position, the caret
// between positions.
class MaskedText {
 public:
  explicit MaskedText(const EditMask& mask);

  // Spreads text over the positions: literals that match are skipped, each
  // other character goes into the next position that takes it, characters
  // that fit nowhere are dropped.
  void SetValue(std::string_view text);
  // The filled positions (with the literals when they are saved; empty
  // positions then read as blanks, trailing blanks dropped). "" when no
  // position is filled.
  std::string Value() const;
  // Every position, literals in place, empty ones as the blank character.
  std::string Display() const;
  bool Filled() const;  // every required position holds a character

  int Caret() const { return caret_; }
  void SetCaret(int caret);
  int Length() const { return static_cast<int>(cells_.size()); }
  // After the last filled position.
  void CaretToEnd();

  // Types c at the caret (over what is there); false when no position from
  // the caret on takes it.
  bool Type(char32_t c);
  // Clears the position before / at the caret; the rest of that run of
  // input positions moves left.
  bool Backspace();
  bool Delete();
  void Clear();

 private:
  int NextInput(int from) const;
  int RunEnd(int from) const;
  void RemoveAt(int pos);
  bool IsInput(int pos) const;

  const EditMask* mask_;
  std::u32string cells_;  // 0 for an empty input position; literals hold their character
  int caret_ = 0;
};

}  // namespace toolkit
