#include "desktop/KeyMap.h"

#include <QKeyEvent>

namespace desktop {

namespace {

toolkit::Word VirtualKey(int k) {
  using namespace toolkit;
  switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Menu: return VK_APPS;
    default: break;
  }
  if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return static_cast<Word>(VK_F1 + (k - Qt::Key_F1));
  if ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)) return static_cast<Word>(k);
  return 0;
}

toolkit::ShiftState Shift(unsigned m) {
  toolkit::ShiftState s = 0;
  if (m & Qt::ShiftModifier) s |= toolkit::ssShift;
  if (m & Qt::AltModifier) s |= toolkit::ssAlt;
  if (m & Qt::ControlModifier) s |= toolkit::ssCtrl;
  return s;
}

bool Printable(const std::string& text) {
  return !text.empty() && static_cast<unsigned char>(text[0]) >= 32 && text[0] != 127;
}

}  // namespace

KeyAction Translate(int qtKey, unsigned qtModifiers, const std::string& text) {
  KeyAction a;
  const toolkit::ShiftState shift = Shift(qtModifiers);
  if (!(shift & (toolkit::ssCtrl | toolkit::ssAlt)) && Printable(text)) {
    a.kind = KeyAction::Kind::Text;
    a.text = text;
    return a;
  }
  const toolkit::Word key = VirtualKey(qtKey);
  if (key == 0) return a;
  a.kind = KeyAction::Kind::Key;
  a.key = key;
  // Qt reports Shift+Tab as its own key.
  a.shift = qtKey == Qt::Key_Backtab ? (shift | toolkit::ssShift) : shift;
  return a;
}

KeyAction Translate(const QKeyEvent& event) {
  return Translate(event.key(), event.modifiers().toInt(), event.text().toStdString());
}

}  // namespace desktop
