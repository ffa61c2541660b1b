#include "toolkit/controls/EditMask.h"

#include <stdexcept>

#include "toolkit/controls/Chars.h"

namespace toolkit {

namespace {

// Splits at the unescaped ';' separators.
std::vector<std::u32string> Sections(const std::u32string& text) {
  std::vector<std::u32string> parts(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      parts.back() += c;
      parts.back() += text[++i];
    } else if (c == ';') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

bool InputKind(char32_t c, EditMask::Kind& kind, bool& required) {
  switch (c) {
    case 'L': kind = EditMask::Kind::Letter; required = true; return true;
    case 'l': kind = EditMask::Kind::Letter; required = false; return true;
    case 'A': kind = EditMask::Kind::AlphaNumeric; required = true; return true;
    case 'a': kind = EditMask::Kind::AlphaNumeric; required = false; return true;
    case 'C': kind = EditMask::Kind::AnyChar; required = true; return true;
    case 'c': kind = EditMask::Kind::AnyChar; required = false; return true;
    case '0': kind = EditMask::Kind::Digit; required = true; return true;
    case '9': kind = EditMask::Kind::Digit; required = false; return true;
    case '#': kind = EditMask::Kind::DigitOrSign; required = false; return true;
    default: return false;
  }
}

}  // namespace

EditMask::EditMask(std::string_view text) {
  std::vector<std::u32string> parts = Sections(DecodeUtf8(text));
  // More than three sections: the extra ';' belong to the mask itself.
  while (parts.size() > 3) {
    parts[0] += U';';
    parts[0] += parts[1];
    parts.erase(parts.begin() + 1);
  }
  if (parts.size() >= 2) {
    if (parts[1] == U"0") saveLiterals_ = false;
    else if (parts[1] == U"1" || parts[1].empty()) saveLiterals_ = true;
    else throw std::invalid_argument("Edit mask '" + std::string(text) + "': the save-literals part must be 0 or 1");
  }
  if (parts.size() == 3) {
    if (parts[2].size() > 1)
      throw std::invalid_argument("Edit mask '" + std::string(text) + "': the blank part must be one character");
    if (parts[2].size() == 1) blank_ = parts[2][0];
  }
  const std::u32string& mask = parts[0];
  Case current = Case::None;
  for (std::size_t i = 0; i < mask.size(); ++i) {
    char32_t c = mask[i];
    if (c == '>') {
      current = Case::Upper;
    } else if (c == '<') {
      bool off = i + 1 < mask.size() && mask[i + 1] == '>';
      current = off ? Case::None : Case::Lower;
      if (off) ++i;
    } else if (c == '!') {
      continue;
    } else if (c == '\\') {
      if (i + 1 >= mask.size()) throw std::invalid_argument("Edit mask '" + std::string(text) + "' ends in '\\'");
      positions_.push_back({Kind::Literal, false, Case::None, mask[++i]});
    } else {
      Position p;
      if (InputKind(c, p.kind, p.required)) p.letterCase = current;
      else p.literal = c;
      positions_.push_back(p);
    }
  }
}

char32_t EditMask::Accept(std::size_t position, char32_t c) const {
  if (position >= positions_.size() || c < 32) return 0;
  const Position& p = positions_[position];
  bool ok = false;
  switch (p.kind) {
    case Kind::Literal: return 0;
    case Kind::Letter: ok = IsLetterChar(c); break;
    case Kind::AlphaNumeric: ok = IsLetterChar(c) || IsDigitChar(c); break;
    case Kind::AnyChar: ok = true; break;
    case Kind::Digit: ok = IsDigitChar(c); break;
    case Kind::DigitOrSign: ok = IsDigitChar(c) || c == '+' || c == '-'; break;
  }
  if (!ok) return 0;
  if (p.letterCase == Case::Upper) return UpperChar(c);
  if (p.letterCase == Case::Lower) return LowerChar(c);
  return c;
}

// --- MaskedText ----------------------------------------------------------------

MaskedText::MaskedText(const EditMask& mask) : mask_(&mask) { Clear(); }

bool MaskedText::IsInput(int pos) const { return mask_->Positions()[pos].kind != EditMask::Kind::Literal; }

void MaskedText::Clear() {
  const auto& positions = mask_->Positions();
  cells_.assign(positions.size(), 0);
  for (std::size_t i = 0; i < positions.size(); ++i)
    if (positions[i].kind == EditMask::Kind::Literal) cells_[i] = positions[i].literal;
  caret_ = 0;
}

void MaskedText::SetValue(std::string_view text) {
  Clear();
  int pos = 0;
  for (char32_t c : DecodeUtf8(text)) {
    if (pos >= Length()) break;
    if (!IsInput(pos) && cells_[pos] == c) {
      ++pos;
      continue;
    }
    int at = NextInput(pos);
    if (at < 0) break;
    if (c == ' ' && mask_->SaveLiterals()) {
      pos = at + 1;  // a saved blank keeps its place
      continue;
    }
    if (char32_t stored = mask_->Accept(at, c)) {
      cells_[at] = stored;
      pos = at + 1;
    }
  }
  CaretToEnd();
}

std::string MaskedText::Value() const {
  std::u32string out;
  bool any = false;
  for (int i = 0; i < Length(); ++i) {
    if (IsInput(i)) {
      if (cells_[i]) {
        out += cells_[i];
        any = true;
      } else if (mask_->SaveLiterals()) {
        out += U' ';
      }
    } else if (mask_->SaveLiterals()) {
      out += cells_[i];
    }
  }
  if (!any) return "";
  while (!out.empty() && out.back() == U' ') out.pop_back();
  return EncodeUtf8(out);
}

std::string MaskedText::Display() const {
  std::u32string out = cells_;
  for (int i = 0; i < Length(); ++i)
    if (IsInput(i) && !cells_[i]) out[i] = mask_->Blank();
  return EncodeUtf8(out);
}

bool MaskedText::Filled() const {
  for (int i = 0; i < Length(); ++i)
    if (IsInput(i) && mask_->Positions()[i].required && !cells_[i]) return false;
  return true;
}

void MaskedText::SetCaret(int caret) { caret_ = caret < 0 ? 0 : (caret > Length() ? Length() : caret); }

void MaskedText::CaretToEnd() {
  caret_ = 0;
  for (int i = 0; i < Length(); ++i)
    if (IsInput(i) && cells_[i]) caret_ = i + 1;
  // Past the literals that follow, as typing would have left it.
  while (caret_ < Length() && !IsInput(caret_) && caret_ > 0) ++caret_;
}

int MaskedText::NextInput(int from) const {
  for (int i = from; i < Length(); ++i)
    if (IsInput(i)) return i;
  return -1;
}

int MaskedText::RunEnd(int from) const {
  int i = from;
  while (i < Length() && IsInput(i)) ++i;
  return i;
}

bool MaskedText::Type(char32_t c) {
  if (caret_ < Length() && !IsInput(caret_) && cells_[caret_] == c) {
    ++caret_;  // typing the literal itself steps over it
    return true;
  }
  int at = NextInput(caret_);
  if (at < 0) return false;
  char32_t stored = mask_->Accept(at, c);
  if (!stored) return false;
  cells_[at] = stored;
  caret_ = at + 1;
  while (caret_ < Length() && !IsInput(caret_)) ++caret_;
  return true;
}

void MaskedText::RemoveAt(int pos) {
  int end = RunEnd(pos);
  for (int i = pos; i + 1 < end; ++i) cells_[i] = cells_[i + 1];
  cells_[end - 1] = 0;
}

bool MaskedText::Backspace() {
  int pos = caret_ - 1;
  while (pos >= 0 && !IsInput(pos)) --pos;
  if (pos < 0) return false;
  bool had = cells_[pos] != 0;
  RemoveAt(pos);
  caret_ = pos;
  return had;
}

bool MaskedText::Delete() {
  int pos = NextInput(caret_);
  if (pos < 0) return false;
  bool had = cells_[pos] != 0;
  RemoveAt(pos);
  return had;
}

}  // namespace toolkit
