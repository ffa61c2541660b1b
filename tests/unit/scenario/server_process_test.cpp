// The application server child: reading its port, and failures to start
// that come back as errors instead of a hang.
#include <gtest/gtest.h>

#include <filesystem>

#include "scenario/AppServerProcess.h"

namespace {

using scenario::AppServerProcess;
using scenario::PortOfListeningLine;

TEST(ServerProcess, PortOfTheListeningLine) {
  EXPECT_EQ(PortOfListeningLine("ate-appserver listening on 127.0.0.1:40123"), 40123);
  EXPECT_EQ(PortOfListeningLine("ate-appserver listening on [::1]:8080\r"), 8080);
  EXPECT_EQ(PortOfListeningLine("ate-appserver listening on 127.0.0.1:0"), 0);
  EXPECT_EQ(PortOfListeningLine("ate-appserver listening on 127.0.0.1:70000"), 0);
  EXPECT_EQ(PortOfListeningLine("ate-appserver listening on 127.0.0.1"), 0);
  EXPECT_EQ(PortOfListeningLine("serving sqlite:x"), 0);
}

std::filesystem::path LogFile() {
  return std::filesystem::path(::testing::TempDir()) / ("scenario_server_" + std::to_string(::getpid()) + ".log");
}

TEST(ServerProcess, AServerThatCannotRunFailsWithItsPath) {
  AppServerProcess server("/nonexistent/ate-appserver", "sqlite:/tmp/x.db", "t", LogFile());
  try {
    server.Start();
    FAIL() << "started a missing binary";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/ate-appserver"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(server.Running());
  EXPECT_THROW(server.Stop(), std::logic_error);
  std::filesystem::remove(LogFile());
}

TEST(ServerProcess, AServerThatEndsWithoutListeningFails) {
  AppServerProcess server("/bin/true", "sqlite:/tmp/x.db", "t", LogFile());
  EXPECT_THROW(server.Start(), std::runtime_error);
  EXPECT_FALSE(server.Running());
  std::filesystem::remove(LogFile());
}

}  // namespace
