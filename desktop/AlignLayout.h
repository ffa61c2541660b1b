#pragma once
// Where each child of a container goes: children aligned to an edge take
// their height (top, bottom) or width (left, right) from that edge of the
// space still free, the one nearest the edge first (by position, then child
// order); client-aligned ones fill what is left; the others keep their own
// bounds. A page control shows only its active page, filling it.
//
// Horizontal positions and widths are multiplied by scaleX: a form laid out
// for a narrower font keeps its proportions with the font on screen.
#include <vector>

namespace toolkit {
class Container;
class Control;
enum class Align;
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
// The visible children aligned to edge, in the order they are placed:
// nearest the edge first.
std::vector<toolkit::Control*> EdgeOrder(const toolkit::Container& container, toolkit::Align edge);

std::vector<Placement> LayOut(const toolkit::Container& container, int width, int height, double scaleX = 1.0);

}  // namespace desktop
