#pragma once
// A screen module loaded with dlopen, as the host loads it: its exported
// functions called by name, and unloading that really unloads, so that the
// next load starts with fresh module variables.

#include <filesystem>
#include <string>

namespace scenario {

class Module {
 public:
  // Throws std::runtime_error with the loader's text when it cannot load.
  explicit Module(std::filesystem::path path);
  // Unloads (without calling anything) when still loaded.
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The module exports a function of that name (a variable does not count).
  bool HasFunction(const std::string& name) const;
  // Calls the exported function void name(). Throws std::runtime_error when
  // the module exports no function of that name, so that a variable is
  // never called. Exceptions of the function propagate.
  void Call(const std::string& name);
  // dlclose; throws std::runtime_error when the module stays in memory
  // afterwards (its variables would not start over on the next load).
  void Unload();

 private:
  using Function = void (*)();
  Function Find(const std::string& name) const;

  std::filesystem::path path_;
  void* handle_ = nullptr;
};

}  // namespace scenario
