// toolkit::EditMask and MaskedText: a mask, then keys typed into it.
//
// Input: the mask text up to the first newline, then the keys, read as
// UTF-8. Control characters stand for editing keys: 1 backspace, 2 delete,
// 3 caret left, 4 caret right, 5 home, 6 end, 7 clear, 8 SetValue of the
// text typed since the last 8; everything else is typed.
// Checks after every key: the caret stays within the text, the literals stay
// in place, Display shows one character per position, Value is UTF-8 that
// decodes back to itself, a cleared text has no value, and a typed
// character lands where the mask takes it.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "toolkit/controls/Chars.h"
#include "toolkit/controls/EditMask.h"

namespace {

using toolkit::EditMask;
using toolkit::MaskedText;

void CheckState(const EditMask& mask, const MaskedText& text) {
  const auto& positions = mask.Positions();
  FUZZ_CHECK(text.Length() == static_cast<int>(positions.size()));
  FUZZ_CHECK(text.Caret() >= 0 && text.Caret() <= text.Length());
  const std::u32string shown = toolkit::DecodeUtf8(text.Display());
  FUZZ_CHECK(shown.size() == positions.size());
  for (std::size_t i = 0; i < positions.size(); ++i)
    if (positions[i].kind == EditMask::Kind::Literal) FUZZ_CHECK(shown[i] == positions[i].literal);
  const std::string value = text.Value();
  FUZZ_CHECK(toolkit::EncodeUtf8(toolkit::DecodeUtf8(value)) == value);
  // An empty required position shows the blank (which may also be typed).
  bool blankShown = false;
  for (std::size_t i = 0; i < positions.size(); ++i)
    if (positions[i].kind != EditMask::Kind::Literal && positions[i].required && shown[i] == mask.Blank())
      blankShown = true;
  if (!text.Filled()) FUZZ_CHECK(blankShown);
}

void TypeChecked(const EditMask& mask, MaskedText& text, char32_t c) {
  const int before = text.Caret();
  if (!text.Type(c)) {
    FUZZ_CHECK(text.Caret() == before);
    return;
  }
  FUZZ_CHECK(text.Caret() > before);
  const std::u32string shown = toolkit::DecodeUtf8(text.Display());
  // The character went to the last input position before the new caret, or
  // it was the literal stepped over.
  int at = text.Caret() - 1;
  while (at >= before && mask.Positions()[at].kind == EditMask::Kind::Literal) --at;
  if (at >= before && mask.Accept(at, c) != 0) FUZZ_CHECK(shown[at] == mask.Accept(at, c));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view maskText = input.substr(0, newline);
  const std::string_view keys = newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);
  EditMask mask;
  try {
    mask = EditMask(maskText);
  } catch (const std::invalid_argument&) {
    return 0;
  }
  MaskedText text(mask);
  CheckState(mask, text);
  std::string pasted;
  for (const char32_t key : toolkit::DecodeUtf8(keys)) {
    switch (key) {
      case 1: text.Backspace(); break;
      case 2: text.Delete(); break;
      case 3: text.SetCaret(text.Caret() - 1); break;
      case 4: text.SetCaret(text.Caret() + 1); break;
      case 5: text.SetCaret(0); break;
      case 6: text.CaretToEnd(); break;
      case 7:
        text.Clear();
        FUZZ_CHECK(text.Value().empty() && text.Caret() == 0);
        break;
      case 8:
        text.SetValue(pasted);
        pasted.clear();
        break;
      default:
        toolkit::AppendUtf8(pasted, key);
        TypeChecked(mask, text, key);
    }
    CheckState(mask, text);
  }
  return 0;
}
