#include "toolkit/controls/Container.h"

#include <algorithm>

#include "toolkit/controls/Form.h"

namespace toolkit {

Container::~Container() {
  // The form must not keep a focused control that is about to leave its tree.
  if (Form* form = ParentForm(); form && form != this) form->Forget(this);
  // Children may outlive their container (they belong to the form); they
  // are left without a parent.
  for (Control* child : children_) child->parent_ = nullptr;
}

void Container::Attach(Control* child) {
  children_.push_back(child);
  Changed(Change::Bounds);
}

void Container::Detach(Control* child) {
  children_.erase(std::remove(children_.begin(), children_.end(), child), children_.end());
}

int Container::IndexOf(const Control* child) const {
  auto it = std::find(children_.begin(), children_.end(), child);
  return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

void Container::MoveChild(Control* child, int order) {
  int from = IndexOf(child);
  if (from < 0) return;
  int last = static_cast<int>(children_.size()) - 1;
  int to = std::clamp(order, 0, last);
  children_.erase(children_.begin() + from);
  children_.insert(children_.begin() + to, child);
}

// --- page control ------------------------------------------------------------

TabSheet::~TabSheet() {
  if (pages_) pages_->RemovePage(this);
}

void TabSheet::SetPageControl(PageControl* pages) {
  if (pages == pages_) return;
  if (pages_) pages_->RemovePage(this);
  pages_ = pages;
  SetParent(pages);
  if (pages_) pages_->AddPage(this);
}

PageControl::~PageControl() {
  for (TabSheet* page : pages_) page->pages_ = nullptr;
}

void PageControl::AddPage(TabSheet* page) {
  pages_.push_back(page);
  if (!active_) SetActivePage(page);
  else page->SetVisible(false);
}

void PageControl::RemovePage(TabSheet* page) {
  pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
  if (active_ == page) {
    active_ = nullptr;
    if (!pages_.empty()) SetActivePage(pages_.front());
  }
}

void PageControl::SetActivePage(TabSheet* page) {
  if (page && page->PageControlOf() != this)
    throw std::invalid_argument("'" + page->Name() + "' is not a page of '" + Name() + "'");
  active_ = page;
  for (TabSheet* p : pages_) p->SetVisible(p == page);
}

}  // namespace toolkit
