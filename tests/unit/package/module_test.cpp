// The module as the host sees it: loaded with dlopen, every export found,
// the unit start-up counted, and the language resource module picked up
// beside the module's file and released with it.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "framework/Resources.h"
#include "package/PackageInfo.h"

namespace {

namespace fs = std::filesystem;

// A copy of the module in a folder of the test's own, so that each test
// loads a fresh instance and can put files beside it.
class ModuleCopy {
 public:
  ModuleCopy() {
    dir_ = fs::temp_directory_path() / ("ate-module-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::create_directories(dir_);
    path_ = dir_ / "libPkg_ate11600.so";
    fs::copy_file(ATE_MODULE_PATH, path_);
  }
  ~ModuleCopy() {
    Unload();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void AddResources(const std::string& lang) { fs::copy_file(ATE_RESOURCE_PATH, path_.string() + "." + lang); }
  void* Load() {
    handle_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) ADD_FAILURE() << dlerror();
    return handle_;
  }
  void Unload() {
    if (handle_) dlclose(handle_);
    handle_ = nullptr;
  }
  template <class T>
  T Symbol(const char* name) {
    void* s = dlsym(handle_, name);
    EXPECT_NE(s, nullptr) << "missing export " << name;
    return reinterpret_cast<T>(s);
  }

 private:
  static inline int counter_ = 0;
  fs::path dir_, path_;
  void* handle_ = nullptr;
};

class Language {
 public:
  explicit Language(const char* value) { setenv("ATE_LANG", value, 1); }
  ~Language() { unsetenv("ATE_LANG"); }
};

TEST(Module, ExportsEveryEntryAndVariable) {
  ModuleCopy module;
  ASSERT_NE(module.Load(), nullptr);
  for (const char* name : {"CriaProporServPass", "IniProc", "Initialize", "Finalize", "GetPackageInfoTable",
                           "frmPropPass", "boStCriado", "boActive"})
    EXPECT_NE(dlsym(module.Load(), name), nullptr) << name;
  auto info = module.Symbol<PackageInfoEntry>("GetPackageInfoTable")();
  ASSERT_NE(info, nullptr);
  EXPECT_STREQ(info->name, "Pkg_ate11600");
  ASSERT_GE(info->unitCount, 2);
  EXPECT_STREQ(info->units[0].name, "Pkg_ate11600");
  EXPECT_EQ(info->units[0].flags, kUnitMain);
  EXPECT_STREQ(info->units[1].name, "Cli_ate11600");
}

TEST(Module, OnlyTheFirstStartUpClearsTheCreatedFlag) {
  ModuleCopy module;
  ASSERT_NE(module.Load(), nullptr);
  auto initialize = module.Symbol<PackageEntry>("Initialize");
  auto finalize = module.Symbol<PackageEntry>("Finalize");
  bool* created = module.Symbol<bool*>("boStCriado");
  *created = true;
  initialize();
  EXPECT_FALSE(*created);
  *created = true;
  initialize();  // already started: nothing happens
  EXPECT_TRUE(*created);
  finalize();
  finalize();
  *created = true;
  initialize();  // the counter is back at zero
  EXPECT_FALSE(*created);
  finalize();
}

TEST(Module, UsesTheResourceModuleOfTheLanguageAndReleasesIt) {
  ModuleCopy module;
  module.AddResources("xx_TEST");
  Language lang("xx_TEST");
  ASSERT_NE(module.Load(), nullptr);
  auto it = framework::Resources().find("msgPadrao.Excl");
  ASSERT_NE(it, framework::Resources().end());
  EXPECT_EQ(it->second, "Confirm deletion?");
  module.Unload();
  EXPECT_TRUE(framework::Resources().empty());
}

TEST(Module, WithoutAResourceModuleTheOwnTextsStay) {
  ModuleCopy module;
  module.AddResources("xx_TEST");
  Language lang("yy_OTHER");
  ASSERT_NE(module.Load(), nullptr);
  EXPECT_TRUE(framework::Resources().empty());
}

}  // namespace
