// The language resource module: a shared object beside the module's own
// file, named after it with the language appended
// (libPkg_ate11600.so.en_US), whose AteResourceTable replaces the module's
// texts. Found when the module is attached, released when it is detached.
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/Resources.h"
#include "package/PackageInfo.h"

namespace {

void* resourceModule = nullptr;

// ATE_LANG wins; otherwise the language of LANG without its encoding.
std::string Language() {
  if (const char* lang = std::getenv("ATE_LANG"); lang && *lang) return lang;
  const char* lang = std::getenv("LANG");
  if (!lang || !*lang) return {};
  std::string value = lang;
  if (auto dot = value.find('.'); dot != std::string::npos) value.erase(dot);
  if (value == "C" || value == "POSIX") return {};
  return value;
}

std::string OwnFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&Language), &info) == 0 || !info.dli_fname) return {};
  return info.dli_fname;
}

framework::ResourceTable ReadTable(void* module) {
  framework::ResourceTable table;
  auto entry = reinterpret_cast<AteResourceEntry>(dlsym(module, "AteResourceTable"));
  if (!entry) return table;
  // Copied, so that no text points into the resource module once it is gone.
  for (const AteResource* r = entry(); r && r->key; ++r) table[r->key] = r->text ? r->text : "";
  return table;
}

__attribute__((constructor)) void AttachResources() {
  const std::string lang = Language();
  const std::string own = OwnFile();
  if (lang.empty() || own.empty()) return;
  const std::string candidate = own + "." + lang;
  std::error_code error;
  if (!std::filesystem::is_regular_file(candidate, error)) return;
  resourceModule = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
  // A resource module that does not load leaves the module's own texts.
  if (resourceModule) framework::SetResourceTable(ReadTable(resourceModule));
}

__attribute__((destructor)) void DetachResources() {
  if (!resourceModule) return;
  framework::SetResourceTable({});
  dlclose(resourceModule);
  resourceModule = nullptr;
}

}  // namespace
