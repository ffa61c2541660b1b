#include "framework/Resources.h"

#include "framework/Messages.h"
#include "toolkit/controls/Control.h"

namespace framework {

namespace {

ResourceTable& Table() {
  static ResourceTable table;
  return table;
}

const std::string* Find(const std::string& key) {
  auto it = Table().find(key);
  return it == Table().end() ? nullptr : &it->second;
}

void ApplyToMessages(TMessages& list, const std::string& prefix) {
  // Keys are replaced only when the list has them: a resource module of an
  // older build must not add texts that no handler asks for.
  for (const auto& [key, text] : Table()) {
    if (key.size() <= prefix.size() || key.compare(0, prefix.size(), prefix) != 0) continue;
    std::string entry = key.substr(prefix.size());
    if (list.Contains(entry)) list.Add(entry, text);
  }
}

}  // namespace

void SetResourceTable(ResourceTable table) { Table() = std::move(table); }

const ResourceTable& Resources() { return Table(); }

void ApplyResources(toolkit::Component& root) {
  if (Table().empty()) return;
  for (int i = 0; i < root.ComponentCount(); ++i) {
    toolkit::Component* component = root.Components(i);
    if (component->Name().empty()) continue;
    if (auto* list = dynamic_cast<TMessages*>(component)) {
      ApplyToMessages(*list, component->Name() + ".");
    } else if (auto* control = dynamic_cast<toolkit::Control*>(component)) {
      if (const std::string* caption = Find(component->Name() + ".Caption")) control->SetCaption(*caption);
    }
  }
  if (auto* form = dynamic_cast<toolkit::Control*>(&root))
    if (const std::string* caption = Find(root.Name() + ".Caption")) form->SetCaption(*caption);
}

}  // namespace framework
