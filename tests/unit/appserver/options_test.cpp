// The app server's command line: what it refuses to start with, and the
// database URL as the log shows it.
#include <gtest/gtest.h>

#include "appserver/Options.h"

namespace {

appserver::Options Parsed(std::vector<std::string> args) {
  args.insert(args.begin(), "ate-appserver");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  appserver::Options options;
  int exitCode = 0;
  EXPECT_TRUE(appserver::ParseOptions(static_cast<int>(argv.size()), argv.data(), options, exitCode));
  return options;
}

TEST(AppServerOptions, RemoteListeningNeedsATokenAndTlsNeedsBothFiles) {
  EXPECT_NO_THROW(appserver::CheckOptions(Parsed({})));
  EXPECT_THROW(appserver::CheckOptions(Parsed({"--allow-remote"})), std::invalid_argument);
  EXPECT_NO_THROW(appserver::CheckOptions(Parsed({"--allow-remote", "--token", "t"})));
  appserver::Options halfTls;
  halfTls.tlsKey = "server.key";
  EXPECT_THROW(appserver::CheckOptions(halfTls), std::invalid_argument);
  const appserver::Options limits = Parsed({"--max-rate", "0", "--max-connections", "8", "--frame-timeout", "5"});
  EXPECT_EQ(limits.maxRate, 0);
  EXPECT_EQ(limits.maxConnections, 8u);
  EXPECT_EQ(limits.frameTimeout, 5);
}

}  // namespace
