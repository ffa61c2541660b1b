#include "toolkit/controls/Button.h"

namespace toolkit {

void Button::Click() {
  if (!Showing() || !EnabledInTree()) return;
  Control::Click();
}

}  // namespace toolkit
