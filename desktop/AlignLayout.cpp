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

int Scaled(int value, double scale) { return static_cast<int>(value * scale + 0.5); }

Rect TakeEdge(Free& free, const toolkit::Control& c, double sx) {
  const int width = Scaled(c.Width(), sx);
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
      Rect r{free.left, free.top, std::min(width, free.Width()), free.Height()};
      free.left += r.width;
      return r;
    }
    case Align::alRight: {
      const int w = std::min(width, free.Width());
      free.right -= w;
      return {free.right, free.top, w, free.Height()};
    }
    default: return {Scaled(c.Left(), sx), c.Top(), width, c.Height()};
  }
}

// Nearer its edge first: the order in which edge-aligned children are
// placed (alNone and client children are not compared).
bool NearerEdge(const toolkit::Control* a, const toolkit::Control* b) {
  if (a->Align() != b->Align()) return false;
  switch (a->Align()) {
    case Align::alTop: return a->Top() < b->Top();
    case Align::alBottom: return a->Top() > b->Top();
    case Align::alLeft: return a->Left() < b->Left();
    case Align::alRight: return a->Left() > b->Left();
    default: return false;
  }
}

}  // namespace

std::vector<toolkit::Control*> EdgeOrder(const toolkit::Container& container, toolkit::Align edge) {
  std::vector<toolkit::Control*> members;
  for (toolkit::Control* child : container.Children())
    if (child->Visible() && child->Align() == edge) members.push_back(child);
  std::stable_sort(members.begin(), members.end(), NearerEdge);
  return members;
}

std::vector<Placement> LayOut(const toolkit::Container& container, int width, int height, double scaleX) {
  // A page control shows its active page over the whole of it.
  if (auto* pages = dynamic_cast<const toolkit::PageControl*>(&container)) {
    if (toolkit::TabSheet* page = pages->ActivePage(); page && page->Visible()) return {{page, {0, 0, width, height}}};
    return {};
  }
  Free free{0, 0, width, height};
  std::vector<Placement> placed;
  std::vector<toolkit::Control*> clients, edges;
  for (toolkit::Control* child : container.Children()) {
    if (!child->Visible()) continue;
    (child->Align() == Align::alClient ? clients : edges).push_back(child);
  }
  // Children of one edge trade places among themselves; the edges keep
  // their child order with each other.
  for (Align edge : {Align::alTop, Align::alBottom, Align::alLeft, Align::alRight}) {
    const std::vector<toolkit::Control*> members = EdgeOrder(container, edge);
    std::size_t next = 0;
    for (toolkit::Control*& slot : edges)
      if (slot->Align() == edge) slot = members[next++];
  }
  for (toolkit::Control* child : edges) placed.push_back({child, TakeEdge(free, *child, scaleX)});
  // Client-aligned children share what the edges left over.
  for (toolkit::Control* child : clients) placed.push_back({child, {free.left, free.top, free.Width(), free.Height()}});
  return placed;
}

}  // namespace desktop
