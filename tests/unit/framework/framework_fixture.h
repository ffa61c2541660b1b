#pragma once
// A clean application with recording dialogs, and the host's settings put
// back after each test.
#include <gtest/gtest.h>

#include "framework/Host.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace framework_test {

class FrameworkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    toolkit::Application::Instance().Reset();
    toolkit::Application::Instance().SetDialogs(&dialogs);
    saved_ = framework::Host();
  }
  void TearDown() override {
    toolkit::Application::Instance().Reset();
    framework::Host() = saved_;
  }
  toolkit::RecordingDialogs dialogs;

 private:
  framework::HostSettings saved_;
};

}  // namespace framework_test
