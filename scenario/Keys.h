#pragma once
// Key names of scenario scripts: "Tab", "Alt+PageDown", "Ctrl+Delete",
// "F2", letters and digits.
#include <string>

#include "toolkit/controls/Keys.h"

namespace scenario {

struct KeyStroke {
  toolkit::Word key = 0;
  toolkit::ShiftState shift = 0;
};

// Throws std::invalid_argument naming an unknown key or modifier.
KeyStroke ParseKey(const std::string& text);

}  // namespace scenario
