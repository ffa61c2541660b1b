#include "LoadGen.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>

#include "rpc/Server.h"

using loadgen::LoadOptions;
using loadgen::LoadResult;
using testing::HasSubstr;

TEST(LoadGen, OnlyLoopbackHosts) {
  for (const char* ok : {"127.0.0.1", "127.1.2.3", "::1", "localhost"}) EXPECT_TRUE(loadgen::IsLoopback(ok)) << ok;
  for (const char* bad : {"10.0.0.1", "0.0.0.0", "::", "128.0.0.1", "example.com", "127.0.0.1.nip.io", "", "::ffff:8.8.8.8"})
    EXPECT_FALSE(loadgen::IsLoopback(bad)) << bad;
}

TEST(LoadGen, ParamsFromAJsonArray) {
  const auto p = loadgen::ParseParams(R"(["XY", 2.5, null, true, {"changes":[]}, [1]])");
  ASSERT_EQ(p.size(), 6u);
  EXPECT_EQ(p[0].text, "XY");
  EXPECT_EQ(p[1].number, 2.5);
  EXPECT_EQ(p[2].kind, rpc::Param::Kind::Null);
  EXPECT_TRUE(p[3].boolean);
  EXPECT_EQ(p[4].kind, rpc::Param::Kind::Object);
  EXPECT_EQ(p[4].text, R"({"changes":[]})");
  EXPECT_EQ(p[5].kind, rpc::Param::Kind::Array);
  EXPECT_TRUE(loadgen::ParseParams("[]").empty());
  for (const char* bad : {"", "{}", "[1,", "[1] 2", "\"x\""}) EXPECT_THROW(loadgen::ParseParams(bad), std::invalid_argument) << bad;
}

TEST(LoadGen, PercentilesByNearestRank) {
  LoadResult r;
  EXPECT_EQ(r.Percentile(50), 0u);
  for (std::uint32_t i = 1; i <= 100; ++i) r.latencyMicros.push_back(i);
  EXPECT_EQ(r.Percentile(50), 50u);
  EXPECT_EQ(r.Percentile(99), 99u);
  EXPECT_EQ(r.Percentile(100), 100u);
  EXPECT_EQ(r.Percentile(0.001), 1u);
}

TEST(LoadGen, StopsAtTheCallCountAndCountsEveryCall) {
  std::atomic<int> served{0};
  rpc::Server server(rpc::ServerOptions{}, [&](std::string_view request, rpc::Session& s) {
    const rpc::Request r = rpc::DecodeRequest(request);
    if (r.method != "Connect") ++served;
    s.connected = true;
    return rpc::Dispatcher::Outcome{rpc::EncodeResult(r.idJson, rpc::Reply{"[]", ""}), false};
  });
  server.Start();
  LoadOptions o;
  o.port = server.Port();
  o.connections = 4;
  o.maxCalls = 500;
  o.duration = std::chrono::seconds(60);
  o.method = "Echo";
  const LoadResult r = loadgen::RunLoad(o);
  EXPECT_EQ(r.calls, 500u);
  EXPECT_EQ(r.errors, 0u);
  EXPECT_EQ(r.latencyMicros.size(), 500u);
  EXPECT_EQ(served, 500);
  EXPECT_TRUE(std::is_sorted(r.latencyMicros.begin(), r.latencyMicros.end()));
}

TEST(LoadGen, ReportsErrorsWithTheFirstText) {
  std::uint16_t port;
  {
    rpc::Server gone(rpc::ServerOptions{}, [](std::string_view, rpc::Session&) { return rpc::Dispatcher::Outcome{}; });
    gone.Start();
    port = gone.Port();
  }
  LoadOptions o;
  o.port = port;
  o.connections = 2;
  o.maxCalls = 6;
  o.method = "Echo";
  const LoadResult r = loadgen::RunLoad(o);
  EXPECT_GT(r.errors, 0u);
  EXPECT_THAT(r.firstError, HasSubstr("127.0.0.1:" + std::to_string(port)));
  std::ostringstream text;
  loadgen::PrintReport(text, o, r);
  EXPECT_THAT(text.str(), HasSubstr("errors"));
  EXPECT_THAT(text.str(), HasSubstr("first:"));
}

TEST(LoadGen, ErrorAnswersCountAndTheConnectionGoesOn) {
  std::atomic<int> handshakes{0}, served{0};
  rpc::Server server(rpc::ServerOptions{}, [&](std::string_view request, rpc::Session& s) {
    const rpc::Request r = rpc::DecodeRequest(request);
    if (r.method == "Connect") {
      ++handshakes;
      s.connected = true;
      return rpc::Dispatcher::Outcome{rpc::EncodeResult(r.idJson, rpc::Reply{}), false};
    }
    // Every third call fails.
    if (++served % 3 == 0)
      return rpc::Dispatcher::Outcome{rpc::EncodeError(r.idJson, rpc::RpcError(1002, "refused here")), false};
    return rpc::Dispatcher::Outcome{rpc::EncodeResult(r.idJson, rpc::Reply{"[]", ""}), false};
  });
  server.Start();
  LoadOptions o;
  o.port = server.Port();
  o.connections = 3;
  o.maxCalls = 90;
  o.duration = std::chrono::seconds(60);
  o.method = "Echo";
  const LoadResult r = loadgen::RunLoad(o);
  EXPECT_EQ(r.calls, 90u);
  EXPECT_EQ(r.errors, 30u);
  EXPECT_EQ(r.latencyMicros.size(), 60u);
  EXPECT_EQ(r.firstError, "refused here");
  EXPECT_EQ(handshakes, 3);  // an error answer does not cost the connection
}
