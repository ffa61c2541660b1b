// The server's guards against misuse: where it may listen, requests that
// trickle in, floods on one connection, and TLS with certificate checks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "raw_socket.h"
#include "rpc/Client.h"
#include "rpc/Dispatcher.h"
#include "rpc/RequestRate.h"
#include "rpc/Server.h"
#include "rpc/TlsContext.h"

using namespace std::chrono_literals;
using testing::HasSubstr;

namespace {

constexpr const char* kServer = "Ate11600.rdmPropPass";
const std::string kTls = ATE_TLS_DIR;

class Guarded {
 public:
  explicit Guarded(rpc::ServerOptions options) : dispatcher_(kServer, "") {
    dispatcher_.Add("Double", [](const rpc::Request& r, rpc::Session&) {
      return rpc::Reply{"[" + std::to_string(static_cast<long long>(rpc::NumberParam(r, 0)) * 2) + "]", ""};
    });
    dispatcher_.Add("Big", [](const rpc::Request& r, rpc::Session&) {
      return rpc::Reply{"[\"" + std::string(static_cast<std::size_t>(rpc::NumberParam(r, 0)), 'x') + "\"]", ""};
    });
    server_ = std::make_unique<rpc::Server>(options, [this](std::string_view request, rpc::Session& session) {
      return dispatcher_.Handle(request, session);
    });
    server_->Start();
  }
  std::uint16_t Port() const { return server_->Port(); }
  std::unique_ptr<rpc::Client> NewClient(rpc::ClientOptions options = {}, const std::string& host = "127.0.0.1") {
    auto c = std::make_unique<rpc::Client>(host, Port(), options);
    c->Connect(kServer, "ana", "");
    return c;
  }

 private:
  rpc::Dispatcher dispatcher_;
  std::unique_ptr<rpc::Server> server_;
};

std::string Doubled(rpc::Client& c, int n) { return c.Call("Double", {rpc::Param::Number(n)}).resultJson; }

rpc::ServerOptions TlsOptions() {
  rpc::ServerOptions o;
  o.tlsCert = kTls + "/server.pem";
  o.tlsKey = kTls + "/server.key";
  return o;
}

rpc::ClientOptions TlsClient(const std::string& ca) {
  rpc::ClientOptions o;
  o.tls = true;
  o.caFile = kTls + "/" + ca;
  o.connectTimeout = 5s;
  return o;
}

}  // namespace

TEST(RequestRate, ABurstOfASecondsWorthPassesThenTheRateRefills) {
  const auto t0 = rpc::RequestRate::Clock::now();
  rpc::RequestRate rate(4, t0);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(rate.Admit(t0)) << i;
  EXPECT_FALSE(rate.Admit(t0));
  EXPECT_FALSE(rate.Admit(t0 + 200ms));  // 0.8 of a request earned
  EXPECT_TRUE(rate.Admit(t0 + 250ms));
  // A long pause earns no more than the burst.
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(rate.Admit(t0 + 1h)) << i;
  EXPECT_FALSE(rate.Admit(t0 + 1h));
}

TEST(RequestRate, ZeroIsNoLimitAndASlowRateStillAdmitsOne) {
  const auto t0 = rpc::RequestRate::Clock::now();
  rpc::RequestRate none(0, t0);
  for (int i = 0; i < 10000; ++i) ASSERT_TRUE(none.Admit(t0));
  rpc::RequestRate slow(0.5, t0);
  EXPECT_TRUE(slow.Admit(t0));
  EXPECT_FALSE(slow.Admit(t0 + 1s));
  EXPECT_TRUE(slow.Admit(t0 + 2s));
  EXPECT_THROW(rpc::RequestRate(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
}

TEST(ServerGuards, ListensBeyondLoopbackOnlyWhenAllowed) {
  rpc::ServerOptions o;
  o.address = "0.0.0.0";
  rpc::Server refused(o, [](std::string_view, rpc::Session&) { return rpc::Dispatcher::Outcome{}; });
  try {
    refused.Start();
    FAIL() << "started on 0.0.0.0";
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("not a loopback address"));
  }
  o.address = "localhost";  // a name that resolves to loopback is fine
  Guarded named(o);
  EXPECT_GT(named.Port(), 0);
}

TEST(ServerGuards, ARequestThatTricklesInIsCutOffWhileIdleOnesMayWait) {
  rpc::ServerOptions o;
  o.frameTimeout = 200ms;
  o.idleTimeout = 1h;
  Guarded g(o);
  rpc_test::RawSocket slow(g.Port());
  slow.Send(std::string("\x00\x00\x00\x40{\"json", 10));
  EXPECT_TRUE(slow.WaitClosed(20s));
  // A connection that sent nothing is only idle, and stays.
  rpc_test::RawSocket quiet(g.Port());
  EXPECT_FALSE(quiet.WaitClosed(600ms));
  auto c = g.NewClient();
  EXPECT_EQ(Doubled(*c, 21), "[42]");
}

TEST(ServerGuards, AFloodOnOneConnectionIsRefusedAndTheConnectionStays) {
  rpc::ServerOptions o;
  o.maxRequestRate = 5;
  Guarded g(o);
  auto flood = g.NewClient();  // the handshake is the first of five
  int answered = 0, refused = 0;
  for (int i = 0; i < 12; ++i) {
    try {
      Doubled(*flood, i);
      ++answered;
    } catch (const rpc::RpcError& e) {
      EXPECT_EQ(e.Code(), rpc::kTooManyRequests);
      EXPECT_THAT(e.what(), HasSubstr("too many requests: the limit is 5 per second"));
      ++refused;
    }
  }
  EXPECT_EQ(answered, 4);
  EXPECT_EQ(refused, 8);
  EXPECT_TRUE(flood->Connected());
  auto other = g.NewClient();  // the limit is per connection
  EXPECT_EQ(Doubled(*other, 2), "[4]");
}

TEST(ServerGuards, ARefusalOverTheLimitAnswersTheRequestByItsId) {
  rpc::ServerOptions o;
  o.maxRequestRate = 2;
  Guarded g(o);
  rpc_test::RawSocket raw(g.Port());
  raw.SendFrame(
      R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"ana","token":""}})");
  const std::optional<std::string> welcome = raw.ReadFrame();
  ASSERT_TRUE(welcome.has_value());
  ASSERT_EQ(welcome->find("error"), std::string::npos) << *welcome;
  std::string refused;
  for (int id = 2; id < 8 && refused.empty(); ++id) {
    raw.SendFrame(R"({"jsonrpc":"2.0","id":)" + std::to_string(id) + R"(,"method":"Double","params":[1]})");
    const std::optional<std::string> answer = raw.ReadFrame();
    ASSERT_TRUE(answer.has_value());
    if (answer->find("too many requests") != std::string::npos) refused = *answer + " for id " + std::to_string(id);
  }
  ASSERT_FALSE(refused.empty()) << "nothing was refused";
  const std::string id = refused.substr(refused.rfind(' ') + 1);
  EXPECT_THAT(refused, HasSubstr(R"("id":)" + id + ","));
  EXPECT_THAT(refused, HasSubstr("the limit is 2 per second"));
}

TEST(ServerTls, ATrustedServerAnswersOverTls) {
  Guarded g(TlsOptions());
  auto c = g.NewClient(TlsClient("ca.pem"));
  for (int i = 0; i < 50; ++i) ASSERT_EQ(Doubled(*c, i), "[" + std::to_string(2 * i) + "]");
  // A large answer crosses many TLS records; a request, too.
  auto byName = g.NewClient(TlsClient("ca.pem"), "localhost");
  const std::string big = byName->Call("Big", {rpc::Param::Number(1 << 20)}).resultJson;
  EXPECT_EQ(big.size(), (1u << 20) + 4);
  EXPECT_EQ(byName->Call("Double", {rpc::Param::Number(7), rpc::Param::String(std::string(200000, 'y'))}).resultJson,
            "[14]");
  // Closed by the client, reopened with a new handshake.
  c->Disconnect();
  EXPECT_EQ(Doubled(*c, 3), "[6]");
}

TEST(ServerTls, AnUntrustedCertificateIsRefusedByTheClient) {
  Guarded g(TlsOptions());
  try {
    g.NewClient(TlsClient("other-ca.pem"));
    FAIL() << "connected to an untrusted server";
  } catch (const rpc::TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("o certificado do servidor não é confiável: "
                                    "nenhuma autoridade certificadora conhecida o assinou"));
  }
}

TEST(ServerTls, PlainAndTlsDoNotMix) {
  Guarded tls(TlsOptions());
  rpc::ClientOptions plain;
  plain.callTimeout = 5s;
  EXPECT_THROW(tls.NewClient(plain), rpc::TransportError);
  Guarded clear(rpc::ServerOptions{});
  EXPECT_THROW(clear.NewClient(TlsClient("ca.pem")), rpc::TransportError);
  // The TLS server still serves after the plain attempt.
  EXPECT_EQ(Doubled(*tls.NewClient(TlsClient("ca.pem")), 1), "[2]");
}

TEST(ServerTls, UnusableFilesAreNamed) {
  try {
    rpc::MakeServerTlsContext(kTls + "/server.pem", kTls + "/missing.key");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_THAT(e.what(), HasSubstr("missing.key"));
  }
  EXPECT_THROW(rpc::MakeServerTlsContext(kTls + "/server.pem", kTls + "/README.md"), std::runtime_error);
  try {
    rpc::Client("127.0.0.1", 1, TlsClient("missing.pem"));
    FAIL() << "used a missing file";
  } catch (const rpc::TransportError& e) {
    EXPECT_THAT(e.what(), HasSubstr("missing.pem: arquivo inexistente"));
  }
}
