#pragma once
// Command buttons: clicked, never focused, so the focus stays where it was.
// A click on a disabled button does nothing.

#include "toolkit/controls/Control.h"

namespace toolkit {

class Button : public Control {
 public:
  explicit Button(Component* owner = nullptr) : Control(owner) { SetTabStop(false); }
  bool Focusable() const override { return false; }
  // Fires OnClick when the button and its containers are enabled and
  // visible.
  void Click() override;
};

}  // namespace toolkit
