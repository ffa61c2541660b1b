#pragma once
// Key names of scripts: "Tab", "Alt+PageDown", "Ctrl+Shift+F5", "A", "7".
//
// Keys: Tab, Enter, Esc, Delete, Backspace, Insert, Up, Down, Left, Right,
// Home, End, PageUp, PageDown, Space, F1 to F12, a letter or a digit.
// Modifiers before the key, each once: Alt+, Ctrl+, Shift+. Names are not
// case-sensitive.

#include <string_view>

#include "toolkit/controls/Keys.h"

namespace scenario {

struct KeyStroke {
  toolkit::Word key = 0;
  toolkit::ShiftState shift = 0;
};

// Throws std::invalid_argument naming what is wrong.
KeyStroke ParseKeys(std::string_view text);

}  // namespace scenario
