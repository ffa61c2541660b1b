#pragma once
// A fresh fixture database and a caller, for each test and each back end.

#include <gtest/gtest.h>

#include "test_support.h"

namespace appserver_test {

class MethodTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    std::string why;
    db_ = TestDatabase::Create(GetParam(), TestDatabase::Content::Fixture, &why);
    if (!db_) GTEST_SKIP() << why;
    caller_ = std::make_unique<Caller>(db_->Where());
  }
  void TearDown() override {
    caller_.reset();
    db_.reset();
  }
  Answer Call(const std::string& method, const json& params) { return caller_->Call(method, params); }

  std::unique_ptr<TestDatabase> db_;
  std::unique_ptr<Caller> caller_;
};

inline std::string ParamName(const ::testing::TestParamInfo<Backend>& info) { return BackendName(info.param); }

}  // namespace appserver_test
