#pragma once
// What the screen tests share: a demo database with an application server
// over it on a loopback port (one for the whole program), and per test a
// clean application with recording dialogs, the host's settings, the
// general data module opened on that database and a log of remote calls.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/Host.h"
#include "framework/NetConnection.h"
#include "backend.h"
#include "rpc/Server.h"
#include "screen/Cli_ate11600.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace screen_test {

using test_support::Backend;

// Every remote call, as the connection sees it before sending.
class CallLog : public framework::CallObserver {
 public:
  struct Call {
    std::string method;
    std::vector<rpc::Param> params;
  };
  void Called(const std::string& method, const std::vector<rpc::Param>& params) override {
    calls.push_back({method, params});
  }
  int Count(const std::string& method) const;
  // The arguments of the last call of the method, as text (numbers in
  // shortest form, objects as their JSON); empty when there was none.
  std::vector<std::string> Last(const std::string& method) const;

  std::vector<Call> calls;
};

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the screen as the host does (CriaProporServPass).
  TfrmPropPass& Open();
  // A screen built without its creation handler: no connection, nothing
  // loaded. Destroyed with the test.
  TfrmPropPass& Bare();

  // A port on which nothing listens.
  static std::uint16_t ClosedPort();

  toolkit::RecordingDialogs dialogs;
  CallLog calls;

 private:
  framework::HostSettings savedHost_;
  std::unique_ptr<TfrmPropPass> bare_;
};

// A screen test that calls the demo app server itself, on a connection of
// its own.
class ServerCallTest : public ScreenTest {
 protected:
  void SetUp() override;
  void TearDown() override;
  framework::TNetConnection net;
};

}  // namespace screen_test
