// Loading a module as the host does: only functions are called, missing
// ones are named, and unloading really starts the module over.
#include <gtest/gtest.h>

#include "scenario/Module.h"

namespace {

using scenario::Module;

TEST(Module, CallsFunctionsButNeverVariables) {
  Module module(SCENARIO_TEST_MODULE);
  EXPECT_TRUE(module.HasFunction("BumpOnce"));
  EXPECT_FALSE(module.HasFunction("bumps"));
  EXPECT_FALSE(module.HasFunction("Missing"));
  try {
    module.Call("bumps");
    FAIL() << "a variable was called";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("exports no function bumps"), std::string::npos) << e.what();
  }
  EXPECT_THROW(module.Call("Missing"), std::runtime_error);
  module.Unload();
}

TEST(Module, ExceptionsOfTheFunctionPropagate) {
  Module module(SCENARIO_TEST_MODULE);
  module.Call("BumpOnce");
  EXPECT_THROW(module.Call("BumpOnce"), std::logic_error);
  module.Unload();
}

TEST(Module, UnloadingStartsTheModuleOver) {
  {
    Module first(SCENARIO_TEST_MODULE);
    first.Call("BumpOnce");
    first.Unload();
    EXPECT_THROW(first.Call("BumpOnce"), std::logic_error);  // not loaded any more
  }
  Module second(SCENARIO_TEST_MODULE);
  EXPECT_NO_THROW(second.Call("BumpOnce"));
  second.Unload();
}

TEST(Module, AMissingFileNamesThePath) {
  try {
    Module module("/nonexistent/libPkg.so");
    FAIL() << "loaded a missing file";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/libPkg.so"), std::string::npos) << e.what();
  }
}

}  // namespace
