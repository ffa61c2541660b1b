#include "scenario/Keys.h"

#include <map>
#include <stdexcept>

namespace scenario {

namespace {

toolkit::Word NamedKey(const std::string& name) {
  static const std::map<std::string, toolkit::Word> kKeys = {
      {"Tab", toolkit::VK_TAB},       {"Enter", toolkit::VK_RETURN},   {"Esc", toolkit::VK_ESCAPE},
      {"Delete", toolkit::VK_DELETE}, {"Backspace", toolkit::VK_BACK}, {"Insert", toolkit::VK_INSERT},
      {"Up", toolkit::VK_UP},         {"Down", toolkit::VK_DOWN},      {"Left", toolkit::VK_LEFT},
      {"Right", toolkit::VK_RIGHT},   {"PageUp", toolkit::VK_PRIOR},   {"PageDown", toolkit::VK_NEXT},
      {"Home", toolkit::VK_HOME},     {"End", toolkit::VK_END},        {"Space", toolkit::VK_SPACE},
  };
  if (auto it = kKeys.find(name); it != kKeys.end()) return it->second;
  if (name.size() >= 2 && name[0] == 'F') {
    const int n = std::stoi(name.substr(1));
    if (n >= 1 && n <= 12) return static_cast<toolkit::Word>(toolkit::VK_F1 + n - 1);
  }
  if (name.size() == 1) {
    char c = name[0];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<toolkit::Word>(c);
  }
  throw std::invalid_argument("unknown key " + name);
}

}  // namespace

KeyStroke ParseKey(const std::string& text) {
  KeyStroke stroke;
  std::string rest = text;
  for (auto plus = rest.find('+'); plus != std::string::npos && plus + 1 < rest.size(); plus = rest.find('+')) {
    const std::string mod = rest.substr(0, plus);
    if (mod == "Alt") stroke.shift |= toolkit::ssAlt;
    else if (mod == "Ctrl") stroke.shift |= toolkit::ssCtrl;
    else if (mod == "Shift") stroke.shift |= toolkit::ssShift;
    else throw std::invalid_argument("unknown modifier " + mod);
    rest = rest.substr(plus + 1);
  }
  stroke.key = NamedKey(rest);
  return stroke;
}

}  // namespace scenario
