#pragma once
// Where each child of a container goes: children aligned to an edge take
// their height (top, bottom) or width (left, right) from that edge of the
// space still free, in child order; client-aligned ones fill what is left;
// the others keep their own bounds. A page control shows only its active
// page, filling it.
#include <vector>

namespace toolkit {
class Container;
class Control;
}  // namespace toolkit

namespace desktop {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

struct Placement {
  toolkit::Control* control;
  Rect rect;
};

// The visible children of the container placed inside a client area of
// the given size.
std::vector<Placement> LayOut(const toolkit::Container& container, int width, int height);

}  // namespace desktop
