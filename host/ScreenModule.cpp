#include "host/ScreenModule.h"

#include <dlfcn.h>

#include <stdexcept>

namespace host {

ScreenModule::~ScreenModule() { Unload(); }

void ScreenModule::Open() {
  if (!handle_) Load();
  iniProc_();
}

void ScreenModule::Load() {
  void* handle = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    throw std::runtime_error("Não foi possível carregar o módulo " + path_ + ":\n" + (why ? why : "erro desconhecido"));
  }
  auto entry = [&](const char* name) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (!symbol) {
      dlclose(handle);
      throw std::runtime_error("O módulo " + path_ + " não exporta " + name + ".");
    }
    return reinterpret_cast<void (*)()>(symbol);
  };
  initialize_ = entry("Initialize");
  finalize_ = entry("Finalize");
  iniProc_ = entry("IniProc");
  handle_ = handle;
  initialize_();
}

void ScreenModule::Unload() {
  if (!handle_) return;
  finalize_();
  dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace host
