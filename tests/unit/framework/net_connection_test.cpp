// The server connection against a small in-process server: handshake,
// calls, refusals, a server that is not there, and reconnecting.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "framework/NetConnection.h"
#include "framework_fixture.h"
#include "rpc/Dispatcher.h"
#include "rpc/Server.h"

namespace framework_test {
namespace {

class Counter : public framework::CallObserver {
 public:
  void Called(const std::string& method, const std::vector<rpc::Param>& params) override {
    methods.push_back(method);
    lastCount = params.size();
  }
  std::vector<std::string> methods;
  std::size_t lastCount = 0;
};

class NetConnection : public FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    framework::Host().token = "segredo";
    dispatcher.Add("Echo", [](const rpc::Request& r, rpc::Session&) {
      rpc::Reply reply;
      reply.resultJson = R"({"fields":[{"name":"V","type":"string","size":10}],"rows":[[)" +
                         std::string("\"") + rpc::StringParam(r, 0) + "\"]]}";
      return reply;
    });
    dispatcher.Add("Refuse", [](const rpc::Request&, rpc::Session&) -> rpc::Reply {
      throw rpc::RpcError(rpc::kConflict, "Registro alterado por outro usuário.");
    });
    StartServer();
    framework::TNetConnection::SetCallObserver(&counter);
    net.SetServerName("Teste.rdm");
    net.SetThrowException(false);
    net.BeforeConnect = [this](framework::TNetConnection& c) {
      ++befores;
      c.SetHost("127.0.0.1");
      c.SetPort(port);
    };
  }
  void TearDown() override {
    framework::TNetConnection::SetCallObserver(nullptr);
    net.SetConnected(false);
    server.reset();
    FrameworkTest::TearDown();
  }
  void StartServer(std::uint16_t wanted = 0, bool tls = false) {
    rpc::ServerOptions options;
    options.port = wanted;
    if (tls) {
      options.tlsCert = std::string(ATE_TLS_DIR) + "/server.pem";
      options.tlsKey = std::string(ATE_TLS_DIR) + "/server.key";
    }
    server = std::make_unique<rpc::Server>(options, [this](std::string_view text, rpc::Session& s) {
      return dispatcher.Handle(text, s);
    });
    server->Start();
    port = server->Port();
  }
  rpc::Dispatcher dispatcher{"Teste.rdm", "segredo"};
  std::unique_ptr<rpc::Server> server;
  int port = 0;
  int befores = 0;
  Counter counter;
  framework::TNetConnection net;
};

TEST_F(NetConnection, ConnectsThroughBeforeConnectAndCalls) {
  net.SetConnected(true);
  EXPECT_TRUE(net.Connected());
  EXPECT_EQ(befores, 1);
  framework::ServerAnswer answer = net.Call("Echo", {rpc::Param::String("olá")});
  ASSERT_TRUE(answer.ok) << answer.message;
  EXPECT_NE(answer.resultJson.find("olá"), std::string::npos);
  EXPECT_EQ(counter.methods, (std::vector<std::string>{"Echo"}));
  EXPECT_EQ(counter.lastCount, 1u);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(NetConnection, RefusalsComeBackAsFailedAnswers) {
  net.SetConnected(true);
  framework::ServerAnswer refused = net.Call("Refuse", {});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.code, rpc::kConflict);
  EXPECT_EQ(refused.message, "Registro alterado por outro usuário.");
  // The protocol's own refusals, in the server's English, are told in
  // Portuguese with the server's words as the detail.
  framework::ServerAnswer missing = net.Call("Missing", {});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.code, rpc::kMethodNotFound);
  EXPECT_EQ(missing.message.rfind("O servidor de aplicação não tem a operação Missing; ", 0), 0u) << missing.message;
  EXPECT_NE(missing.message.find("\nDetalhe do servidor: "), std::string::npos) << missing.message;
  EXPECT_TRUE(net.Connected());
}

// The server comes back with another token while the station is
// connected: the call that reconnects tells the station was refused.
TEST_F(NetConnection, AStationRefusedOnReconnectingIsToldSo) {
  net.SetConnected(true);
  const auto livePort = static_cast<std::uint16_t>(port);
  server.reset();
  rpc::Dispatcher other{"Teste.rdm", "outro"};
  rpc::ServerOptions options;
  options.port = livePort;
  server = std::make_unique<rpc::Server>(options, [&other](std::string_view text, rpc::Session& s) {
    return other.Handle(text, s);
  });
  server->Start();
  const framework::ServerAnswer refused = net.Call("Echo", {rpc::Param::String("x")});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message.rfind("Não foi possível conectar ao servidor de aplicação 127.0.0.1:" +
                                      std::to_string(livePort) + "\nO servidor recusou esta estação",
                                  0),
            0u)
      << refused.message;
  EXPECT_FALSE(net.Connected());
  server.reset();
}

TEST_F(NetConnection, FailedConnectIsShownAndTheNextCallTriesAgain) {
  const int livePort = port;
  server.reset();  // nobody listens there now
  net.SetConnected(true);
  EXPECT_FALSE(net.Connected());
  auto messages = dialogs.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  const std::string head = "Não foi possível conectar ao servidor de aplicação 127.0.0.1:" + std::to_string(livePort) + "\n";
  EXPECT_EQ(messages[0], head + "Conexão recusada.");

  framework::ServerAnswer lost = net.Call("Echo", {rpc::Param::String("x")});
  EXPECT_FALSE(lost.ok);
  EXPECT_EQ(lost.message.substr(0, head.size()), head);

  StartServer(static_cast<std::uint16_t>(livePort));
  EXPECT_TRUE(net.Call("Echo", {rpc::Param::String("x")}).ok);
  EXPECT_TRUE(net.Connected());
  EXPECT_EQ(befores, 3);
}

TEST_F(NetConnection, WrongTokenOrThrowingModeAndAnInvalidPort) {
  framework::Host().token = "errado";
  net.SetThrowException(true);
  try {
    net.SetConnected(true);
    ADD_FAILURE() << "connected with a wrong token";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("\nO servidor recusou esta estação: confira [Server] Token"),
              std::string::npos)
        << e.what();
  }
  EXPECT_FALSE(net.Connected());
  framework::Host().token = "segredo";
  net.BeforeConnect = [](framework::TNetConnection& c) { c.SetPort(70000); };
  net.SetThrowException(false);
  net.SetConnected(true);
  auto messages = dialogs.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("70000"), std::string::npos);
}

TEST_F(NetConnection, TlsAsTheHostSaysWithItsAuthorities) {
  server.reset();
  StartServer(0, true);
  framework::Host().tls = true;
  framework::Host().caFile = std::string(ATE_TLS_DIR) + "/other-ca.pem";
  net.SetConnected(true);
  EXPECT_FALSE(net.Connected());
  auto messages = dialogs.TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("\nFalha no handshake TLS: o certificado do servidor não é confiável: "),
            std::string::npos)
      << messages[0];
  framework::Host().caFile = std::string(ATE_TLS_DIR) + "/ca.pem";
  net.SetConnected(true);
  EXPECT_TRUE(net.Connected());
}

TEST_F(NetConnection, DroppedServerIsReportedThenReconnected) {
  net.SetConnected(true);
  const std::uint16_t livePort = static_cast<std::uint16_t>(port);
  server.reset();
  framework::ServerAnswer lost = net.Call("Echo", {rpc::Param::String("x")});
  EXPECT_FALSE(lost.ok);
  EXPECT_EQ(lost.code, 0);
  EXPECT_FALSE(net.Connected());
  StartServer(livePort);
  EXPECT_TRUE(net.Call("Echo", {rpc::Param::String("y")}).ok);
}

// A call that got out but whose answer did not come within the host's
// CallTimeout may have been carried out: it is told apart from a call that
// never left.
TEST_F(NetConnection, AnAnswerLateBeyondTheHostsTimeoutIsLostNotRefused) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  dispatcher.Add("Slow", [released](const rpc::Request&, rpc::Session&) {
    released.wait_for(std::chrono::seconds(10));
    return rpc::Reply{};
  });
  framework::Host().callTimeout = 1;
  framework::ServerAnswer late = net.Call("Slow", {});
  release.set_value();
  EXPECT_FALSE(late.ok);
  EXPECT_TRUE(late.answerLost);
  EXPECT_EQ(late.code, 0);
  EXPECT_NE(late.message.find("\nSlow: sem resposta em 1000 ms."), std::string::npos) << late.message;
  EXPECT_FALSE(net.Connected());

  EXPECT_FALSE(net.Call("Refuse", {}).answerLost);
  server.reset();
  framework::ServerAnswer unsent = net.Call("Echo", {rpc::Param::String("x")});
  EXPECT_FALSE(unsent.ok);
  EXPECT_FALSE(unsent.answerLost) << unsent.message;
}

}  // namespace
}  // namespace framework_test
