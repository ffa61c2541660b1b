#include "toolkit/controls/Component.h"

#include <algorithm>
#include <stdexcept>

#include "packet/Value.h"

namespace toolkit {

Component::Component(Component* owner) : owner_(owner) {
  if (owner_) owner_->owned_.push_back(this);
}

Component::~Component() {
  DestroyComponents();
  if (owner_) {
    auto& list = owner_->owned_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
}

void Component::DestroyComponents() {
  // Last created first, so that a component never outlives what it was
  // given at creation.
  while (!owned_.empty()) {
    Component* child = owned_.back();
    delete child;  // the child's destructor removes it from owned_
  }
}

void Component::SetName(std::string name) {
  if (owner_ && !name.empty()) {
    Component* other = owner_->FindComponent(name);
    if (other && other != this)
      throw std::invalid_argument("A component named '" + name + "' already exists");
  }
  name_ = std::move(name);
}

Component* Component::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (Component* c : owned_)
    if (packet::SameFieldName(c->name_, name)) return c;
  return nullptr;
}

}  // namespace toolkit
