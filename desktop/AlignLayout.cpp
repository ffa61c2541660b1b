#include "desktop/AlignLayout.h"

#include <algorithm>

#include "toolkit/controls/Container.h"

namespace desktop {

namespace {

using toolkit::Align;

// The space not yet taken by aligned children.
struct Free {
  int left, top, right, bottom;
  int Width() const { return std::max(0, right - left); }
  int Height() const { return std::max(0, bottom - top); }
};

Rect TakeEdge(Free& free, const toolkit::Control& c) {
  switch (c.Align()) {
    case Align::alTop: {
      Rect r{free.left, free.top, free.Width(), std::min(c.Height(), free.Height())};
      free.top += r.height;
      return r;
    }
    case Align::alBottom: {
      const int h = std::min(c.Height(), free.Height());
      free.bottom -= h;
      return {free.left, free.bottom, free.Width(), h};
    }
    case Align::alLeft: {
      Rect r{free.left, free.top, std::min(c.Width(), free.Width()), free.Height()};
      free.left += r.width;
      return r;
    }
    case Align::alRight: {
      const int w = std::min(c.Width(), free.Width());
      free.right -= w;
      return {free.right, free.top, w, free.Height()};
    }
    default: return {c.Left(), c.Top(), c.Width(), c.Height()};
  }
}

}  // namespace

std::vector<Placement> LayOut(const toolkit::Container& container, int width, int height) {
  // A page control shows its active page over the whole of it.
  if (auto* pages = dynamic_cast<const toolkit::PageControl*>(&container)) {
    if (toolkit::TabSheet* page = pages->ActivePage(); page && page->Visible()) return {{page, {0, 0, width, height}}};
    return {};
  }
  Free free{0, 0, width, height};
  std::vector<Placement> placed;
  std::vector<toolkit::Control*> clients;
  for (toolkit::Control* child : container.Children()) {
    if (!child->Visible()) continue;
    if (child->Align() == Align::alClient) {
      clients.push_back(child);
      continue;
    }
    placed.push_back({child, TakeEdge(free, *child)});
  }
  // Client-aligned children share what the edges left over.
  for (toolkit::Control* child : clients) placed.push_back({child, {free.left, free.top, free.Width(), free.Height()}});
  return placed;
}

}  // namespace desktop
