#pragma once
// Texts a language resource module may replace: message-list entries
// ("msgPadrao.Excl") and captions of components ("lblfilial.Caption").
// The module's start-up installs the table of the resource module it
// found; a screen applies it to itself once its components exist.
#include <map>
#include <string>
#include <string_view>

namespace toolkit { class Component; }

namespace framework {

using ResourceTable = std::map<std::string, std::string, std::less<>>;

// Replaces the installed table (an empty one: the module's own texts).
void SetResourceTable(ResourceTable table);
const ResourceTable& Resources();

// For every component owned by root: a TMessages list takes
// "<list>.<key>" texts for the keys it already has; a control takes
// "<name>.Caption". Keys naming nothing are ignored.
void ApplyResources(toolkit::Component& root);

}  // namespace framework
