// Clients without the token: what one such peer can take from the others
// (slots, memory, log lines, time to guess the token) stays small.

#include <gtest/gtest.h>
#include <spdlog/sinks/ostream_sink.h>
#include <spdlog/spdlog.h>

#include <memory>
#include <sstream>
#include <vector>

#include "raw_socket.h"
#include "rpc/Client.h"
#include "rpc/Dispatcher.h"
#include "rpc/LogText.h"
#include "rpc/Server.h"

using namespace std::chrono_literals;
using rpc::Param;
using rpc_test::RawSocket;

namespace {

constexpr const char* kServer = "Ate11600.rdmPropPass";
constexpr const char* kToken = "tok";

std::string ConnectJson(const std::string& server, const std::string& user, const std::string& token) {
  return rpc::EncodeRequest("1", "Connect",
                            std::vector<std::pair<std::string, Param>>{{"server", Param::String(server)},
                                                                       {"user", Param::String(user)},
                                                                       {"token", Param::String(token)}});
}

int CodeOf(const std::optional<std::string>& frame) { return frame ? rpc::DecodeResponse(*frame).code : -1; }

class Strangers : public testing::Test {
 protected:
  Strangers() : dispatcher_(kServer, kToken) {
    dispatcher_.Add("Echo", [](const rpc::Request& r, rpc::Session&) {
      return rpc::Reply{rpc::EncodeRequest("0", "Echo", r.params), ""};
    });
  }
  void Start(rpc::ServerOptions options) {
    server_ = std::make_unique<rpc::Server>(
        options, [this](std::string_view request, rpc::Session& s) { return dispatcher_.Handle(request, s); });
    server_->Start();
  }
  std::uint16_t Port() const { return server_->Port(); }
  // A good client's call answers.
  bool GoodClientServed() {
    rpc::Client c("127.0.0.1", Port());
    c.Connect(kServer, "ana", kToken);
    return c.Call("Echo", {Param::String("ok")}).resultJson.find("ok") != std::string::npos;
  }
  std::unique_ptr<RawSocket> Connected(const char* from = nullptr) {
    auto s = std::make_unique<RawSocket>(Port(), from);
    s->SendFrame(ConnectJson(kServer, "raw", kToken));
    EXPECT_EQ(CodeOf(s->ReadFrame()), 0);
    return s;
  }

  rpc::Dispatcher dispatcher_;
  std::unique_ptr<rpc::Server> server_;
};

// Silence, a trickle, garbage and an oversized frame each end a stranger's
// connection; none of it keeps a good client out.
TEST_F(Strangers, AStrangerMustShakeHandsInTimeAndItsFirstErrorEndsIt) {
  rpc::ServerOptions options;
  options.handshakeTimeout = 400ms;
  Start(options);
  RawSocket silent(Port());
  RawSocket trickle(Port());
  trickle.Send(std::string("\x00\x00\x00\x40", 4));
  for (int i = 0; i < 5; ++i) {
    trickle.Send("{");
    std::this_thread::sleep_for(100ms);
  }
  EXPECT_TRUE(silent.WaitClosed(5s));
  EXPECT_TRUE(trickle.WaitClosed(5s));

  RawSocket garbage(Port());
  garbage.SendFrame("{oops");
  EXPECT_EQ(CodeOf(garbage.ReadFrame()), rpc::kParseError);
  EXPECT_TRUE(garbage.WaitClosed(5s));

  // A stranger's frame may hold a Connect and little more; after the
  // handshake, the usual limit.
  RawSocket big(Port());
  big.SendFrame(std::string(9000, ' '));
  EXPECT_TRUE(big.WaitClosed(5s));
  auto friendly = Connected();
  friendly->SendFrame(rpc::EncodeRequest("2", "Echo", {Param::String(std::string(100000, 'x'))}));
  EXPECT_EQ(CodeOf(friendly->ReadFrame()), 0);
  // And once shaken hands, the idle time-out is what counts.
  std::this_thread::sleep_for(600ms);
  friendly->SendFrame(rpc::EncodeRequest("3", "Echo", std::vector<Param>{}));
  EXPECT_EQ(CodeOf(friendly->ReadFrame()), 0);
  EXPECT_TRUE(GoodClientServed());
}

// One address holds a few slots at most; its refused handshakes are
// answered later each time; another address is served meanwhile.
TEST_F(Strangers, OneAddressCannotTakeEverySlotNorGuessQuickly) {
  rpc::ServerOptions options;
  options.maxConnectionsPerPeer = 3;
  Start(options);
  std::vector<std::unique_ptr<RawSocket>> held;
  for (int i = 0; i < 3; ++i) held.push_back(std::make_unique<RawSocket>(Port(), "127.0.0.2"));
  RawSocket fourth(Port(), "127.0.0.2");
  EXPECT_TRUE(fourth.WaitClosed(2s));
  EXPECT_TRUE(GoodClientServed());

  std::vector<std::chrono::milliseconds> waits;
  for (int i = 0; i < 3; ++i) {
    RawSocket guess(Port(), "127.0.0.3");
    const auto start = std::chrono::steady_clock::now();
    guess.SendFrame(ConnectJson(kServer, "x", "guess" + std::to_string(i)));
    EXPECT_EQ(CodeOf(guess.ReadFrame()), rpc::kInvalidParams);
    waits.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start));
    EXPECT_TRUE(guess.WaitClosed(2s));
  }
  EXPECT_GE(waits[1], 200ms);
  EXPECT_GE(waits[2], 400ms);
  // The right token from there is still let in, and forgives the address.
  Connected("127.0.0.3");
}

// Refusals are logged a few a minute per address, the rest counted; the
// client's text in them cannot start a line of its own.
TEST_F(Strangers, RefusalsAreLoggedFewAndEscaped) {
  std::ostringstream log;
  auto logger = std::make_shared<spdlog::logger>("capture", std::make_shared<spdlog::sinks::ostream_sink_mt>(log));
  const auto previous = spdlog::default_logger();
  spdlog::set_default_logger(logger);
  rpc::ServerOptions options;
  Start(options);
  for (int i = 0; i < 25; ++i) {
    RawSocket s(Port(), "127.0.0.4");
    s.SendFrame("");
  }
  auto linesFromFour = [&] {
    const std::string text = log.str();
    std::size_t n = 0;
    for (std::size_t at = text.find("127.0.0.4:"); at != std::string::npos; at = text.find("127.0.0.4:", at + 1)) ++n;
    return n;
  };
  for (int i = 0; i < 100 && linesFromFour() < 10; ++i) std::this_thread::sleep_for(50ms);
  RawSocket forger(Port(), "127.0.0.5");
  forger.SendFrame(ConnectJson("x\n[2026-01-01] [error] forged\x1b[2J", "u", kToken));
  forger.ReadFrame();
  forger.WaitClosed(2s);
  server_->Stop();
  spdlog::set_default_logger(previous);

  const std::string text = log.str();
  EXPECT_EQ(linesFromFour(), 10u) << text;
  EXPECT_NE(text.find(" more refusals not logged)"), std::string::npos) << text;
  EXPECT_EQ(text.find("\n[2026-01-01]"), std::string::npos) << text;
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << text;
  EXPECT_NE(text.find("x\\n[2026-01-01] [error] forged\\x1b[2J"), std::string::npos) << text;
}

// Large requests arriving share a budget: one that finds it spent ends its
// own connection, and the budget comes back when a request is answered.
TEST_F(Strangers, LargeRequestsShareABoundedBudget) {
  rpc::ServerOptions options;
  options.maxMemory = 1 << 20;
  Start(options);
  const std::string request = rpc::EncodeRequest("2", "Echo", {Param::String(std::string(700000, 'x'))});
  const std::string frame = rpc::EncodeFrame(request);
  auto first = Connected();
  auto second = Connected();
  first->Send(frame.substr(0, 1000));
  std::this_thread::sleep_for(100ms);
  second->Send(frame.substr(0, 1000));
  EXPECT_TRUE(second->WaitClosed(5s));
  first->Send(frame.substr(1000));
  EXPECT_EQ(CodeOf(first->ReadFrame()), 0);
  auto third = Connected();
  third->Send(frame);
  EXPECT_EQ(CodeOf(third->ReadFrame()), 0);
  EXPECT_TRUE(GoodClientServed());
}

TEST(LogText, EscapesWhatCouldForgeALineAndKeepsUtf8) {
  EXPECT_EQ(rpc::LogText("Conceição"), "Conceição");
  EXPECT_EQ(rpc::LogText("a\nb\r\t\\\x1b[0m\x7f"), "a\\nb\\r\\t\\\\\\x1b[0m\\x7f");
  EXPECT_EQ(rpc::LogText("\xC3\x28 \xED\xA0\x80 \xF4\x90\x80\x80"), "\\xc3( \\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80");
  EXPECT_EQ(rpc::LogText("ação", 2), "a...");  // never cuts a character in two
  EXPECT_EQ(rpc::LogQuoted("x", 0), "'x'");
}

}  // namespace
