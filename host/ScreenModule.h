#pragma once
// The screen module, loaded on first use: dlopen, Initialize once, then
// IniProc for each opening; Finalize and dlclose when it goes.
#include <string>

namespace host {

class ScreenModule {
 public:
  explicit ScreenModule(std::string path) : path_(std::move(path)) {}
  ~ScreenModule();
  ScreenModule(const ScreenModule&) = delete;
  ScreenModule& operator=(const ScreenModule&) = delete;

  // Loads the module if needed and opens its screen. Throws
  // std::runtime_error naming the file when it cannot be loaded or lacks
  // one of Initialize, Finalize or IniProc (then nothing stays loaded);
  // an error of the screen itself propagates.
  void Open();
  bool Loaded() const { return handle_ != nullptr; }
  // Finalize and dlclose; the module's forms must be gone by then.
  void Unload();

 private:
  void Load();

  std::string path_;
  void* handle_ = nullptr;
  void (*initialize_)() = nullptr;
  void (*finalize_)() = nullptr;
  void (*iniProc_)() = nullptr;
};

}  // namespace host
