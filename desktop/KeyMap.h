#pragma once
// A Qt key press as the toolkit's input layer takes it: text typed, or a
// key with its shift state.
#include <string>

#include "toolkit/controls/Keys.h"

class QKeyEvent;

namespace desktop {

struct KeyAction {
  enum class Kind { None, Text, Key } kind = Kind::None;
  std::string text;  // UTF-8, for Text
  toolkit::Word key = 0;
  toolkit::ShiftState shift = 0;
};

// Characters without Ctrl or Alt become text; Enter, Esc, Backspace,
// Tab, the arrows, paging, Insert, Delete, F1-F12, and letters or digits
// with Ctrl or Alt become keys. Anything else (a lone modifier) is None.
KeyAction Translate(int qtKey, unsigned qtModifiers, const std::string& text);
KeyAction Translate(const QKeyEvent& event);

}  // namespace desktop
