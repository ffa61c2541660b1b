#pragma once
// Controls that hold other controls: the container tree that the focus
// rule walks, and the kinds the screens use (panel, scroll box, page
// control with its sheets, splitter).

#include <vector>

#include "toolkit/controls/Control.h"

namespace toolkit {

class Container : public Control {
 public:
  explicit Container(Component* owner = nullptr) : Control(owner) {}
  ~Container() override;

  // Containers pass the focus on; they never hold it themselves.
  bool Focusable() const override { return false; }

  // Children in tab order.
  const std::vector<Control*>& Children() const { return children_; }
  bool Contains(const Control* control) const { return control && control->IsInside(this); }

 private:
  friend class Control;
  void Attach(Control* child);
  void Detach(Control* child);
  void MoveChild(Control* child, int order);
  int IndexOf(const Control* child) const;

  std::vector<Control*> children_;
};

class Panel : public Container {
 public:
  using Container::Container;
};

class ScrollBox : public Container {
 public:
  using Container::Container;
};

class PageControl;

// A page of a page control; showing only while it is the active page.
class TabSheet : public Container {
 public:
  explicit TabSheet(Component* owner = nullptr) : Container(owner) {}
  ~TabSheet() override;
  // Puts the sheet on the page control (its parent); the first sheet
  // becomes the active page.
  void SetPageControl(PageControl* pages);
  PageControl* PageControlOf() const { return pages_; }

 private:
  friend class PageControl;
  PageControl* pages_ = nullptr;
};

class PageControl : public Container {
 public:
  using Container::Container;
  ~PageControl() override;
  TabSheet* ActivePage() const { return active_; }
  // Shows that sheet and hides the others.
  void SetActivePage(TabSheet* page);
  const std::vector<TabSheet*>& Pages() const { return pages_; }

 private:
  friend class TabSheet;
  void AddPage(TabSheet* page);
  void RemovePage(TabSheet* page);
  std::vector<TabSheet*> pages_;
  TabSheet* active_ = nullptr;
};

// A bar the user drags to resize the control aligned next to it.
class Splitter : public Control {
 public:
  explicit Splitter(Component* owner = nullptr) : Control(owner) { SetTabStop(false); }
  bool Focusable() const override { return false; }
  int MinSize() const { return minSize_; }
  void SetMinSize(int size) { minSize_ = size; }

 private:
  int minSize_ = 30;
};

}  // namespace toolkit
