#pragma once
// Key codes and shift states as the screens name them.

#include <cstdint>

namespace toolkit {

using Word = std::uint16_t;

// Virtual-key codes. Letters and digits are their upper-case ASCII codes.
enum : Word {
  VK_BACK = 8, VK_TAB = 9, VK_RETURN = 13, VK_ESCAPE = 27, VK_SPACE = 32,
  VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36,
  VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40,
  VK_INSERT = 45, VK_DELETE = 46,
  VK_APPS = 93,  // the context-menu key
  VK_F1 = 112, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9, VK_F10, VK_F11, VK_F12,
};

enum ShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using ShiftState = unsigned;

// The character a key produces by itself (Backspace, Enter, Esc), or 0.
inline char32_t CharOfKey(Word key, ShiftState shift) {
  if (shift & (ssAlt | ssCtrl)) return 0;
  switch (key) {
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_ESCAPE: return 27;
    default: return 0;
  }
}

// The key that types a character (letters, digits, space), 0 for the rest,
// which arrive as characters only.
inline Word KeyOfChar(char32_t c) {
  if (c >= 'a' && c <= 'z') return static_cast<Word>(c - 'a' + 'A');
  if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return static_cast<Word>(c);
  return 0;
}

}  // namespace toolkit
