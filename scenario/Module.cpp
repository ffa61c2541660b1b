#include "scenario/Module.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <stdexcept>

namespace scenario {

namespace {

std::string LoaderError() {
  const char* text = dlerror();
  return text ? text : "unknown loader error";
}

}  // namespace

Module::Module(std::filesystem::path path) : path_(std::move(path)) {
  handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error("cannot load the module " + path_.string() + ": " + LoaderError());
}

Module::~Module() {
  if (handle_) dlclose(handle_);
}

// Looks the symbol up and asks the loader for its symbol table entry, so
// that only functions are ever called.
Module::Function Module::Find(const std::string& name) const {
  if (!handle_) return nullptr;
  dlerror();
  void* address = dlsym(handle_, name.c_str());
  if (!address) return nullptr;
  Dl_info info{};
  void* entry = nullptr;
  if (!dladdr1(address, &info, &entry, RTLD_DL_SYMENT) || !entry) return nullptr;
  // ELF32_ST_TYPE and ELF64_ST_TYPE are the same low four bits.
  const unsigned type = ELF64_ST_TYPE(static_cast<const ElfW(Sym)*>(entry)->st_info);
  if (type != STT_FUNC && type != STT_GNU_IFUNC) return nullptr;
  return reinterpret_cast<Function>(address);
}

bool Module::HasFunction(const std::string& name) const { return Find(name) != nullptr; }

void Module::Call(const std::string& name) {
  if (!handle_) throw std::logic_error("the module " + path_.string() + " is not loaded");
  Function function = Find(name);
  if (!function) throw std::runtime_error("the module " + path_.filename().string() + " exports no function " + name);
  function();
}

void Module::Unload() {
  if (!handle_) return;
  void* handle = handle_;
  handle_ = nullptr;
  if (dlclose(handle) != 0) throw std::runtime_error("cannot unload the module " + path_.string() + ": " + LoaderError());
  if (void* still = dlopen(path_.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
    dlclose(still);
    throw std::runtime_error("the module " + path_.string() +
                             " stays in memory after it was unloaded, so its variables would not start over");
  }
}

}  // namespace scenario
