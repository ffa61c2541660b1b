#pragma once
// Base of every object a form owns: a name, an owner that destroys it, a tag.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace toolkit {

class Component {
 public:
  // With an owner, the owner destroys this component when it is destroyed
  // itself; a component destroyed earlier leaves its owner on its own.
  explicit Component(Component* owner = nullptr);
  virtual ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& Name() const { return name_; }
  // Throws std::invalid_argument when the owner already has another
  // component of that name (case-insensitive).
  void SetName(std::string name);
  Component* Owner() const { return owner_; }
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  // Owned component of that name (case-insensitive), or nullptr.
  Component* FindComponent(std::string_view name) const;
  int ComponentCount() const { return static_cast<int>(owned_.size()); }
  Component* Components(int index) const { return owned_.at(index); }

 protected:
  // Destroys the owned components now, last created first. A class whose
  // components call back into it while they die (a form) calls this from its
  // own destructor, while it is still whole.
  void DestroyComponents();

 private:
  std::string name_;
  Component* owner_ = nullptr;
  int tag_ = 0;
  std::vector<Component*> owned_;
};

}  // namespace toolkit
