// The focus rule of a form (see Form.h for the order of events).
#include <algorithm>

#include "toolkit/controls/Form.h"

namespace toolkit {

struct Form::FocusChange {
  Control* origin;
  Control* target;
  Control* requested = nullptr;      // last SetFocus asked for by a handler
  std::vector<Control*> entered;     // enters already run, containers included
  bool Entered(Control* c) const { return std::find(entered.begin(), entered.end(), c) != entered.end(); }
};

void Form::SetActiveControl(Control* control) {
  if (control) {
    if (control->ParentForm() != this)
      throw EInvalidOperation("Cannot focus '" + control->Name() + "': it is not on form '" + Name() + "'");
    if (!control->CanFocus())
      throw EInvalidOperation("Cannot focus '" + control->Name() + "': it is disabled, invisible or cannot take the focus");
  }
  MoveFocus(control);
}

void Form::SetActive(Control* control) {
  if (activeControl_ == control) return;
  activeControl_ = control;
  if (Observed()) NotifyObservers(*this, Change::Focus);
}

void Form::MoveFocus(Control* target) {
  if (change_) {
    // Asked for by a handler while a change is under way: replace the target.
    change_->target = target;
    change_->requested = target;
    SetActive(target);
    return;
  }
  Control* origin = activeControl_;
  if (target == origin) return;
  FocusChange change{origin, target, nullptr, {}};
  change_ = &change;
  SetActive(target);
  try {
    RunExits(change);
    RunEnters(change);
  } catch (...) {
    Settle(change);
    throw;
  }
  change_ = nullptr;
}

void Form::RunExits(FocusChange& change) {
  Control* origin = change.origin;
  if (!origin) return;
  origin->DoExit();
  // The target may change inside a handler, so each step asks again.
  for (Container* c = origin->Parent(); c && c != this; c = c->Parent()) {
    if (c->Contains(change.target)) break;
    c->DoExit();
  }
}

// Enters of the current target not yet run, outer to inner, then the
// target's own; starts over when a handler replaces the target.
void Form::RunEnters(FocusChange& change) {
  for (;;) {
    Control* target = change.target;
    if (!target || target == change.origin) return;
    std::vector<Container*> path;
    for (Container* c = target->Parent(); c && c != this; c = c->Parent()) path.push_back(c);
    bool replaced = false;
    for (auto it = path.rbegin(); it != path.rend() && !replaced; ++it) {
      Container* c = *it;
      if (c->Contains(change.origin) || change.Entered(c)) continue;
      change.entered.push_back(c);
      c->DoEnter();
      replaced = change.target != target;
    }
    if (replaced) continue;
    if (!change.Entered(target)) {
      change.entered.push_back(target);
      target->DoEnter();
      if (change.target != target) continue;
    }
    return;
  }
}

// After an exception: the focus goes to the last target a handler asked
// for, or back to where it was; the first runs its enters still owed.
void Form::Settle(FocusChange& change) {
  Control* final = change.requested ? change.requested : change.origin;
  if (final && (final->ParentForm() != this || !final->CanFocus())) final = change.origin;
  change.target = final;
  change.requested = nullptr;
  SetActive(final);
  if (final == change.origin) {
    change_ = nullptr;
    return;
  }
  try {
    RunEnters(change);
  } catch (...) {
    if (change.requested) SetActive(change.requested);
    change_ = nullptr;
    throw;
  }
  change_ = nullptr;
}

void Form::Forget(Control* control) {
  for (Control* c = activeControl_; c; c = c->Parent())
    if (c == control) {
      activeControl_ = nullptr;
      break;
    }
}

std::vector<Control*> Form::TabList() const {
  std::vector<Control*> list;
  // Depth first, each container's children in tab order.
  auto visit = [&](auto&& self, const Container* container) -> void {
    for (Control* child : container->Children()) {
      if (auto* inner = dynamic_cast<const Container*>(child)) {
        if (inner->Showing() && inner->EnabledInTree()) self(self, inner);
      } else if (child->CanFocus()) {
        list.push_back(child);
      }
    }
  };
  visit(visit, this);
  return list;
}

bool Form::SelectNext(bool forward) {
  std::vector<Control*> list = TabList();
  list.erase(std::remove_if(list.begin(), list.end(), [](Control* c) { return !c->TabStop(); }), list.end());
  if (list.empty()) return false;
  auto it = std::find(list.begin(), list.end(), activeControl_);
  Control* next;
  if (it == list.end()) {
    next = forward ? list.front() : list.back();
  } else if (forward) {
    next = (it + 1 == list.end()) ? list.front() : *(it + 1);
  } else {
    next = (it == list.begin()) ? list.back() : *(it - 1);
  }
  if (next == activeControl_) return false;
  SetActiveControl(next);
  if (activeControl_ == next) next->EnteredByTab();
  return true;
}

}  // namespace toolkit
