#include "scenario/KeyNames.h"

#include <array>
#include <stdexcept>
#include <string>
#include <utility>

namespace scenario {

namespace {

using namespace toolkit;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

constexpr std::array<std::pair<std::string_view, Word>, 16> kNamedKeys{{
    {"Tab", VK_TAB}, {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Delete", VK_DELETE},
    {"Backspace", VK_BACK}, {"Insert", VK_INSERT}, {"Up", VK_UP}, {"Down", VK_DOWN},
    {"Left", VK_LEFT}, {"Right", VK_RIGHT}, {"Home", VK_HOME}, {"End", VK_END},
    {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT}, {"Space", VK_SPACE}, {"Menu", VK_APPS},
}};

constexpr std::array<std::pair<std::string_view, ShiftFlag>, 3> kModifiers{{
    {"Alt", ssAlt}, {"Ctrl", ssCtrl}, {"Shift", ssShift},
}};

// 0 when the name is no function key.
Word FunctionKey(std::string_view name) {
  if (name.size() < 2 || name.size() > 3 || Lower(name[0]) != 'f') return 0;
  int number = 0;
  for (char c : name.substr(1)) {
    if (c < '0' || c > '9') return 0;
    number = number * 10 + (c - '0');
  }
  if (number < 1 || number > 12 || name[1] == '0') return 0;
  return static_cast<Word>(VK_F1 + number - 1);
}

Word KeyOfName(std::string_view name) {
  for (const auto& [keyName, code] : kNamedKeys)
    if (SameName(name, keyName)) return code;
  if (Word f = FunctionKey(name)) return f;
  if (name.size() == 1) {
    const char c = name[0];
    if (c >= 'a' && c <= 'z') return static_cast<Word>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<Word>(c);
  }
  throw std::invalid_argument("unknown key '" + std::string(name) + "'");
}

ShiftFlag ModifierOfName(std::string_view name) {
  for (const auto& [modName, flag] : kModifiers)
    if (SameName(name, modName)) return flag;
  throw std::invalid_argument("unknown modifier '" + std::string(name) + "' (Alt, Ctrl or Shift)");
}

}  // namespace

KeyStroke ParseKeys(std::string_view text) {
  KeyStroke stroke;
  const std::string whole(text);
  for (;;) {
    const std::size_t plus = text.find('+');
    if (plus == std::string_view::npos) break;
    const std::string_view part = text.substr(0, plus);
    if (part.empty()) throw std::invalid_argument("empty part in key '" + whole + "'");
    const ShiftFlag flag = ModifierOfName(part);
    if (stroke.shift & flag) throw std::invalid_argument("modifier given twice in key '" + whole + "'");
    stroke.shift |= flag;
    text.remove_prefix(plus + 1);
  }
  if (text.empty()) throw std::invalid_argument("no key after the modifiers in '" + whole + "'");
  stroke.key = KeyOfName(text);
  return stroke;
}

}  // namespace scenario
