// The server core and the client together, in-process, on free loopback
// ports. Time bounds are generous: they catch a hang, never measure speed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "raw_socket.h"
#include "rpc/Client.h"
#include "rpc/Dispatcher.h"
#include "rpc/Server.h"

using namespace std::chrono_literals;
using rpc::Client;
using rpc::ClientOptions;
using rpc::Dispatcher;
using rpc::Param;
using rpc::Reply;
using rpc::Request;
using rpc::RpcError;
using rpc::Server;
using rpc::ServerOptions;
using rpc::Session;
using rpc::TransportError;
using rpc_test::RawSocket;
using testing::HasSubstr;

namespace {

constexpr const char* kServer = "Ate11600.rdmPropPass";
constexpr const char* kToken = "tok";

std::string ConnectJson(int id) {
  return rpc::EncodeRequest(std::to_string(id), "Connect",
                            std::vector<std::pair<std::string, Param>>{{"server", Param::String(kServer)},
                                                                       {"user", Param::String("raw")},
                                                                       {"token", Param::String(kToken)}});
}

// A dispatcher with a few test methods, and a server in front of it.
class Harness {
 public:
  Harness() : dispatcher_(kServer, kToken) {
    dispatcher_.Add("Echo", [](const Request& r, Session&) {
      return Reply{rpc::EncodeRequest("0", "Echo", r.params), ""};
    });
    dispatcher_.Add("Double", [](const Request& r, Session&) {
      return Reply{"[" + std::to_string(static_cast<long long>(rpc::NumberParam(r, 0)) * 2) + "]", ""};
    });
    dispatcher_.Add("Log", [this](const Request& r, Session&) {
      // a little work of varying length, to shake out reordering
      std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int>(rpc::NumberParam(r, 0)) % 3 * 300));
      std::lock_guard lock(mutex_);
      log_.push_back(static_cast<int>(rpc::NumberParam(r, 0)));
      return Reply{};
    });
    dispatcher_.Add("Sleep", [](const Request& r, Session&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(rpc::NumberParam(r, 0))));
      return Reply{};
    });
    dispatcher_.Add("Refuse", [](const Request&, Session&) -> Reply {
      throw RpcError(rpc::kRuleViolated, "Faixa sobreposta", R"({"row":3})");
    });
    dispatcher_.Add("Bye", [](const Request&, Session&) { return Reply{}; });
    dispatcher_.Add("Big", [](const Request& r, Session&) {
      return Reply{"[\"" + std::string(static_cast<std::size_t>(rpc::NumberParam(r, 0)), 'x') + "\"]", ""};
    });
    // Returns only once `n` calls are inside it at the same time.
    dispatcher_.Add("Rendezvous", [this](const Request& r, Session&) {
      const int n = static_cast<int>(rpc::NumberParam(r, 0));
      std::unique_lock lock(mutex_);
      ++inside_;
      met_.notify_all();
      const bool ok = met_.wait_for(lock, 20s, [&] { return inside_ >= n; });
      if (!ok) throw RpcError(1, "nobody came");
      return Reply{};
    });
  }

  void Start(ServerOptions options = {}) {
    server_ = std::make_unique<Server>(options, [this](std::string_view request, Session& session) {
      const bool before = session.connected;
      Dispatcher::Outcome out = dispatcher_.Handle(request, session);
      if (!before && session.connected) ++handshakes;
      if (request.find("\"Bye\"") != std::string_view::npos) out.close = true;
      return out;
    });
    server_->Start();
  }

  Server& server() { return *server_; }
  std::uint16_t Port() const { return server_->Port(); }
  void Stop() { server_->Stop(); }

  std::unique_ptr<Client> NewClient(ClientOptions options = {}) {
    auto c = std::make_unique<Client>("127.0.0.1", Port(), options);
    c->Connect(kServer, "ana", kToken);
    return c;
  }

  std::vector<int> Log() {
    std::lock_guard lock(mutex_);
    return log_;
  }

  std::atomic<int> handshakes{0};

 private:
  Dispatcher dispatcher_;
  std::unique_ptr<Server> server_;
  std::mutex mutex_;
  std::condition_variable met_;
  int inside_ = 0;
  std::vector<int> log_;
};

ServerOptions Options(int threads = 2) {
  ServerOptions o;
  o.threads = threads;
  return o;
}

double Doubled(Client& c, int n) {
  const Reply r = c.Call("Double", {Param::Number(n)});
  return std::stod(r.resultJson.substr(1));
}

}  // namespace

TEST(Server, BindsAFreePortAndAnswers) {
  Harness h;
  h.Start();
  EXPECT_NE(h.Port(), 0);
  auto c = h.NewClient();
  EXPECT_TRUE(c->Connected());
  const Reply r = c->Call("Echo", {Param::String("a\u00e7"), Param::Number(1), Param::Null()});
  EXPECT_EQ(r.resultJson, "{\"jsonrpc\":\"2.0\",\"id\":0,\"method\":\"Echo\",\"params\":[\"a\u00e7\",1.0,null]}");
  EXPECT_EQ(h.handshakes, 1);
}

TEST(Server, CannotBindTwiceToAPort) {
  Harness a;
  a.Start();
  Harness b;
  ServerOptions o;
  o.port = a.Port();
  try {
    b.Start(o);
    FAIL() << "second bind succeeded";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("127.0.0.1:" + std::to_string(a.Port())));
  }
}

TEST(Server, CallsOnOneConnectionAreAnsweredInOrder) {
  Harness h;
  h.Start(Options(4));
  auto c = h.NewClient();
  for (int i = 0; i < 500; ++i) ASSERT_EQ(Doubled(*c, i), 2 * i);
}

TEST(Server, PipelinedRequestsAreHandledOneAtATimeInOrder) {
  Harness h;
  h.Start(Options(4));
  RawSocket s(h.Port());
  std::string burst = rpc::EncodeFrame(ConnectJson(1));
  constexpr int kCalls = 60;
  for (int i = 0; i < kCalls; ++i)
    burst += rpc::EncodeFrame(rpc::EncodeRequest(std::to_string(i + 2), "Log", {Param::Number(i)}));
  s.Send(burst);  // all in one write
  for (int i = 0; i < kCalls + 1; ++i) {
    const auto frame = s.ReadFrame();
    ASSERT_TRUE(frame) << "answer " << i;
    const rpc::Response r = rpc::DecodeResponse(*frame);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.idJson, std::to_string(i + 1));
  }
  std::vector<int> want(kCalls);
  for (int i = 0; i < kCalls; ++i) want[i] = i;
  EXPECT_EQ(h.Log(), want);
}

TEST(Server, ManyConnectionsAtOnce) {
  Harness h;
  h.Start(Options(4));
  constexpr int kClients = 24, kCalls = 150;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kClients; ++t) {
    threads.emplace_back([&, t] {
      try {
        auto c = h.NewClient();
        for (int i = 0; i < kCalls; ++i)
          if (Doubled(*c, t * 1000 + i) != 2 * (t * 1000 + i)) ++failures;
      } catch (const std::exception&) {
        ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(h.handshakes, kClients);
}

TEST(Server, DifferentConnectionsAreHandledConcurrently) {
  Harness h;
  h.Start(Options(3));
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t) {
    threads.emplace_back([&] {
      auto c = h.NewClient();
      try {
        c->Call("Rendezvous", {Param::Number(3)});
        ++ok;
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(ok, 3);
}

TEST(Server, StalledClientDoesNotHoldUpOthers) {
  Harness h;
  h.Start(Options(1));  // one thread: blocking on the stalled socket would stop everything
  RawSocket halfHeader(h.Port());
  halfHeader.Send(std::string("\x00\x00", 2));
  RawSocket halfPayload(h.Port());
  const std::string connect = rpc::EncodeFrame(ConnectJson(1));
  halfPayload.Send(std::string_view(connect).substr(0, connect.size() / 2));

  ClientOptions co;
  co.callTimeout = 10s;
  auto c = h.NewClient(co);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(Doubled(*c, i), 2 * i);
  auto d = h.NewClient(co);
  EXPECT_EQ(Doubled(*d, 7), 14);

  // The stalled connection was merely waiting: its request completes.
  halfPayload.Send(std::string_view(connect).substr(connect.size() / 2));
  const auto answer = halfPayload.ReadFrame();
  ASSERT_TRUE(answer);
  EXPECT_TRUE(rpc::DecodeResponse(*answer).ok);
}

TEST(Server, ClientThatDoesNotReadDoesNotHoldUpOthers) {
  Harness h;
  h.Start(Options(1));
  RawSocket deaf(h.Port());
  deaf.SendFrame(ConnectJson(1));
  ASSERT_TRUE(deaf.ReadFrame());
  // Far more than the socket buffers hold, so the server's write must wait.
  deaf.SendFrame(rpc::EncodeRequest("2", "Big", {Param::Number(12 << 20)}));
  ASSERT_TRUE(deaf.Discard(1000));  // the answer is being written, and then no more is read
  auto c = h.NewClient();
  for (int i = 0; i < 20; ++i) ASSERT_EQ(Doubled(*c, i), 2 * i);
}

TEST(Server, FrameOverTheLimitClosesOnlyThatConnection) {
  Harness h;
  ServerOptions o = Options();
  o.maxFrame = 1024;
  h.Start(o);
  ClientOptions co;
  co.maxFrame = 1024;
  auto c = h.NewClient(co);
  EXPECT_EQ(Doubled(*c, 1), 2);

  RawSocket bad(h.Port());
  bad.SendFrame(ConnectJson(1));
  ASSERT_TRUE(bad.ReadFrame());
  bad.Send(std::string("\x00\x00\x04\x01", 4));  // 1025 bytes announced
  EXPECT_TRUE(bad.WaitClosed());

  EXPECT_EQ(Doubled(*c, 2), 4);  // same connection, still there
  EXPECT_EQ(h.handshakes, 2);
}

TEST(Server, MalformedJsonAfterTheHandshakeKeepsTheConnectionOpen) {
  Harness h;
  h.Start();
  RawSocket s(h.Port());
  s.SendFrame(ConnectJson(1));
  auto frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  EXPECT_TRUE(rpc::DecodeResponse(*frame).ok);

  s.SendFrame("{oops");
  frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  rpc::Response r = rpc::DecodeResponse(*frame);
  EXPECT_EQ(r.code, rpc::kParseError);
  EXPECT_EQ(r.idJson, "null");

  s.SendFrame(std::string("\xFF\x00 not json", 11));
  frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  EXPECT_EQ(rpc::DecodeResponse(*frame).code, rpc::kParseError);

  s.SendFrame(R"({"jsonrpc":"2.0","id":3,"method":"Echo","params":[],"extra":1})");
  frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  r = rpc::DecodeResponse(*frame);
  EXPECT_EQ(r.code, rpc::kInvalidRequest);
  EXPECT_EQ(r.idJson, "3");

  s.SendFrame(rpc::EncodeRequest("4", "Double", {Param::Number(21)}));
  frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  r = rpc::DecodeResponse(*frame);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.reply.resultJson, "[42]");
}

TEST(Server, RefusedHandshakeClosesTheConnection) {
  Harness h;
  h.Start();
  RawSocket s(h.Port());
  s.SendFrame(rpc::EncodeRequest("1", "Double", {Param::Number(1)}));
  const auto frame = s.ReadFrame();
  ASSERT_TRUE(frame);
  EXPECT_FALSE(rpc::DecodeResponse(*frame).ok);
  EXPECT_TRUE(s.WaitClosed());
}

TEST(Server, PeerClosingInsideAFrameOnlyEndsThatConnection) {
  Harness h;
  h.Start(Options(1));
  {
    RawSocket s(h.Port());
    s.Send(std::string("\x00\x00\x00\x50{\"json", 10));
  }
  auto c = h.NewClient();
  EXPECT_EQ(Doubled(*c, 5), 10);
}

TEST(Server, IdleConnectionsAreClosed) {
  Harness h;
  ServerOptions o = Options();
  o.idleTimeout = 200ms;
  h.Start(o);
  RawSocket silent(h.Port());
  RawSocket half(h.Port());
  half.Send(std::string("\x00\x00\x00\x20{", 5));
  RawSocket connected(h.Port());
  connected.SendFrame(ConnectJson(1));
  ASSERT_TRUE(connected.ReadFrame());
  EXPECT_TRUE(silent.WaitClosed(20s));
  EXPECT_TRUE(half.WaitClosed(20s));
  EXPECT_TRUE(connected.WaitClosed(20s));
}

TEST(Server, RequestsKeepAConnectionFromGoingIdle) {
  Harness h;
  ServerOptions o = Options();
  o.idleTimeout = 1000ms;
  h.Start(o);
  auto c = h.NewClient();
  const auto end = std::chrono::steady_clock::now() + 2500ms;
  while (std::chrono::steady_clock::now() < end) {
    ASSERT_EQ(Doubled(*c, 3), 6);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(h.handshakes, 1);
}

TEST(Server, ClientReconnectsAfterAnIdleClose) {
  Harness h;
  ServerOptions o = Options(1);  // one thread: the idle closes happen in deadline order
  o.idleTimeout = 100ms;
  h.Start(o);
  auto c = h.NewClient();
  EXPECT_EQ(Doubled(*c, 1), 2);
  // A connection opened later is closed later: once it is, the client's is too.
  RawSocket probe(h.Port());
  ASSERT_TRUE(probe.WaitClosed(20s));
  // the closed connection is noticed before sending: no failed call
  EXPECT_EQ(Doubled(*c, 2), 4);
  EXPECT_EQ(h.handshakes, 2);
}

TEST(Server, StopClosesOpenConnections) {
  Harness h;
  h.Start(Options(2));
  auto a = h.NewClient();
  auto b = h.NewClient();
  EXPECT_EQ(Doubled(*a, 1), 2);
  RawSocket stalled(h.Port());
  stalled.Send(std::string("\x00\x00", 2));
  RawSocket idle(h.Port());

  h.Stop();
  EXPECT_TRUE(stalled.WaitClosed());
  EXPECT_TRUE(idle.WaitClosed());
  try {
    a->Call("Double", {Param::Number(1)});
    FAIL() << "call after Stop succeeded";
  } catch (const TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("127.0.0.1:" + std::to_string(h.Port())));
  }
  h.Stop();  // idempotent
}

TEST(Server, StopWaitsForARunningHandlerAndWaitReturns) {
  Harness h;
  h.Start(Options(2));
  auto c = h.NewClient();
  std::thread caller([&] {
    try {
      c->Call("Sleep", {Param::Number(300)});
    } catch (const std::exception&) {
      // either answered or cut off: both fine
    }
  });
  std::this_thread::sleep_for(50ms);
  std::thread waiter([&] { h.server().Wait(); });
  h.Stop();
  waiter.join();
  caller.join();
}

TEST(Server, StopBeforeStartAndDestructorWithOpenConnections) {
  {
    Harness h;
    h.Start();
    auto c = h.NewClient();
    RawSocket s(h.Port());
    // the harness's destructor stops the server with both open
  }
  Server never(ServerOptions{}, [](std::string_view, Session&) { return Dispatcher::Outcome{}; });
  never.Stop();
  never.Wait();
}

TEST(Server, MaxConnectionsRefusesTheRest) {
  Harness h;
  ServerOptions o = Options();
  o.maxConnections = 2;
  h.Start(o);
  auto a = h.NewClient();
  auto b = h.NewClient();
  Client third("127.0.0.1", h.Port());
  EXPECT_THROW(third.Connect(kServer, "x", kToken), TransportError);
  EXPECT_FALSE(third.Connected());
  EXPECT_EQ(Doubled(*a, 2), 4);

  b.reset();  // frees a place
  bool connected = false;
  for (int i = 0; i < 200 && !connected; ++i) {
    try {
      third.Connect(kServer, "x", kToken);
      connected = true;
    } catch (const TransportError&) {
      std::this_thread::sleep_for(50ms);
    }
  }
  EXPECT_TRUE(connected);
  EXPECT_EQ(Doubled(third, 3), 6);
}

TEST(Client, ReconnectsAfterAServerRestartOnTheSamePort) {
  auto h = std::make_unique<Harness>();
  h->Start();
  const std::uint16_t port = h->Port();
  Client c("127.0.0.1", port);
  c.Connect(kServer, "ana", kToken);
  EXPECT_EQ(Doubled(c, 1), 2);
  h.reset();

  auto h2 = std::make_unique<Harness>();
  ServerOptions o;
  o.port = port;
  h2->Start(o);
  EXPECT_EQ(Doubled(c, 2), 4);  // reopened, with the handshake, before sending
  EXPECT_EQ(h2->handshakes, 1);
  EXPECT_EQ(Doubled(c, 3), 6);
}

TEST(Client, ServerSideCloseFailsAtMostOneCallThenReconnects) {
  Harness h;
  h.Start();
  auto c = h.NewClient();
  c->Call("Bye", {});  // answered, then closed by the server
  int failures = 0;
  for (;;) {
    try {
      EXPECT_EQ(Doubled(*c, 4), 8);
      break;
    } catch (const TransportError& e) {
      EXPECT_THAT(e.what(), HasSubstr("Double"));
      ASSERT_LT(++failures, 2);
    }
  }
  EXPECT_EQ(h.handshakes, 2);
}

TEST(Client, CallTimeOutDropsTheConnectionAndTheNextCallReopens) {
  Harness h;
  h.Start(Options(2));
  ClientOptions co;
  co.callTimeout = 200ms;
  auto c = h.NewClient(co);
  try {
    c->Call("Sleep", {Param::Number(1500)});
    FAIL() << "no time-out";
  } catch (const TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Sleep"));
    EXPECT_THAT(e.what(), HasSubstr("127.0.0.1:" + std::to_string(h.Port())));
    EXPECT_THAT(e.what(), HasSubstr("sem resposta em 200 ms"));
  }
  EXPECT_FALSE(c->Connected());
  EXPECT_EQ(Doubled(*c, 5), 10);  // a fresh connection: the late answer cannot be mistaken for this one
  EXPECT_EQ(h.handshakes, 2);
}

// Only a request that went out whole may have been carried out by the
// server; the caller settles such a call instead of calling it failed.
TEST(Client, OnlyARequestSentWholeCanHaveLostItsAnswer) {
  std::uint16_t closedPort;
  {
    Harness gone;
    gone.Start();
    closedPort = gone.Port();
  }
  Harness h;
  h.Start(Options(2));
  ClientOptions co;
  co.callTimeout = 200ms;
  auto c = h.NewClient(co);
  EXPECT_THROW(c->Call("Sleep", {Param::Number(1500)}), rpc::AnswerLost);
  Client unreachable("127.0.0.1", closedPort);
  EXPECT_THROW(unreachable.Connect(kServer, "ana", kToken), TransportError);
  try {
    unreachable.Call("Double", {Param::Number(1)});
    FAIL() << "connected to nothing";
  } catch (const rpc::AnswerLost& e) {
    ADD_FAILURE() << "nothing was sent, yet: " << e.what();
  } catch (const TransportError&) {
  }
}

TEST(Client, ErrorAnswersRaiseRpcError) {
  Harness h;
  h.Start();
  auto c = h.NewClient();
  try {
    c->Call("Refuse", {});
    FAIL() << "no RpcError";
  } catch (const RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kRuleViolated);
    EXPECT_STREQ(e.what(), "Faixa sobreposta");
    EXPECT_EQ(e.DataJson(), R"({"row":3})");
  }
  EXPECT_TRUE(c->Connected());  // an error answer leaves the connection as it is
  try {
    c->Call("NoSuch", {});
    FAIL() << "no RpcError";
  } catch (const RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kMethodNotFound);
  }
  try {
    c->Call("Double", {Param::String("x")});
    FAIL() << "no RpcError";
  } catch (const RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kInvalidParams);
    EXPECT_STREQ(e.what(), "Double: argument 1 must be a number");
  }
  EXPECT_EQ(Doubled(*c, 8), 16);
}

TEST(Client, RefusedHandshake) {
  Harness h;
  h.Start();
  Client c("127.0.0.1", h.Port());
  try {
    c.Connect(kServer, "ana", "wrong");
    FAIL() << "accepted";
  } catch (const RpcError& e) {
    EXPECT_THAT(e.what(), HasSubstr("wrong token"));
  }
  EXPECT_FALSE(c.Connected());
  EXPECT_THROW(c.Call("Double", {Param::Number(1)}), RpcError);  // the handshake is redone, and refused again
  c.Connect(kServer, "ana", kToken);
  EXPECT_EQ(Doubled(c, 1), 2);
}

TEST(Client, CallBeforeConnectIsALogicError) {
  Client c("127.0.0.1", 1);
  EXPECT_THROW(c.Call("Double", {}), std::logic_error);
}

TEST(Client, UnreachableServerNamesHostAndPort) {
  std::uint16_t port;
  {
    Harness h;
    h.Start();
    port = h.Port();
  }
  Client c("127.0.0.1", port);
  try {
    c.Connect(kServer, "ana", kToken);
    FAIL() << "connected to nothing";
  } catch (const TransportError& e) {
    // In the person's language, whatever the C library's locale.
    EXPECT_EQ(e.what(), "Não foi possível conectar a 127.0.0.1:" + std::to_string(port) + ": conexão recusada.");
    EXPECT_EQ(e.Reason(), "conexão recusada");
  }
  // The handshake is remembered even so: a later call tries again.
  EXPECT_THROW(c.Call("Double", {}), TransportError);
  Client bad("no-such-host.invalid", 1);
  try {
    bad.Connect(kServer, "ana", kToken);
    FAIL() << "resolved a name that cannot exist";
  } catch (const TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("Não foi possível conectar a no-such-host.invalid:1: "));
    EXPECT_THAT(e.Reason(), HasSubstr("o nome 'no-such-host.invalid' não"));
  }
}

TEST(Client, BadArgumentsAreRefusedBeforeSending) {
  Harness h;
  h.Start();
  auto c = h.NewClient();
  EXPECT_THROW(c->Call("Echo", {Param::String("\xFF")}), std::invalid_argument);
  EXPECT_TRUE(c->Connected());
  EXPECT_EQ(Doubled(*c, 9), 18);
}

TEST(Client, LargeAnswersAndAnswersOverTheLimit) {
  Harness h;
  ServerOptions o = Options();
  o.maxFrame = 8u << 20;
  h.Start(o);
  auto c = h.NewClient();
  const Reply r = c->Call("Big", {Param::Number(4 << 20)});
  EXPECT_EQ(r.resultJson.size(), (4u << 20) + 4);
  try {
    c->Call("Big", {Param::Number(9 << 20)});
    FAIL() << "over-limit answer delivered";
  } catch (const RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kInternalError);
    EXPECT_THAT(e.what(), HasSubstr("frame limit"));
  }
  EXPECT_EQ(Doubled(*c, 1), 2);
  // Refused answers are answered by the request's id.
  RawSocket raw(h.Port());
  raw.SendFrame(ConnectJson(1));
  ASSERT_TRUE(raw.ReadFrame());
  raw.SendFrame(rpc::EncodeRequest("42", "Big", {Param::Number(9 << 20)}));
  const auto refused = raw.ReadFrame();
  ASSERT_TRUE(refused);
  EXPECT_EQ(rpc::DecodeResponse(*refused).idJson, "42");

  ClientOptions small;
  small.maxFrame = 1000;
  auto d = h.NewClient(small);
  EXPECT_THROW(d->Call("Big", {Param::Number(2000)}), TransportError);
  EXPECT_FALSE(d->Connected());
  EXPECT_THROW(d->Call("Echo", {Param::String(std::string(2000, 'y'))}), rpc::FrameError);
}

TEST(Client, AnswerWithAnotherIdIsATransportError) {
  Server s(ServerOptions{}, [](std::string_view request, Session& session) {
    const Request r = rpc::DecodeRequest(request);
    if (r.method == "Connect") {
      session.connected = true;
      return Dispatcher::Outcome{rpc::EncodeResult(r.idJson, Reply{}), false};
    }
    return Dispatcher::Outcome{rpc::EncodeResult("999", Reply{}), false};
  });
  s.Start();
  Client c("127.0.0.1", s.Port());
  c.Connect(kServer, "ana", kToken);
  try {
    c.Call("Anything", {});
    FAIL() << "accepted";
  } catch (const TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("999"));
  }
  EXPECT_FALSE(c.Connected());
}

TEST(Client, IdsIncreasePerConnection) {
  std::mutex m;
  std::vector<std::string> ids;
  Server s(ServerOptions{}, [&](std::string_view request, Session& session) {
    const Request r = rpc::DecodeRequest(request);
    std::lock_guard lock(m);
    ids.push_back(r.idJson);
    session.connected = true;
    return Dispatcher::Outcome{rpc::EncodeResult(r.idJson, Reply{}), r.method == "Bye"};
  });
  s.Start();
  Client c("127.0.0.1", s.Port());
  c.Connect(kServer, "ana", kToken);
  c.Call("A", {});
  c.Call("B", {});
  c.Disconnect();
  c.Call("C", {});
  std::lock_guard lock(m);
  EXPECT_EQ(ids, (std::vector<std::string>{"1", "2", "3", "1", "2"}));
}
