#pragma once
// The screen's connection to the application server: a named server on a
// host and port, connected on demand, through which every remote method is
// called.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "framework/ServerAnswer.h"
#include "rpc/Message.h"
#include "toolkit/controls/Component.h"

namespace rpc { class Client; }

namespace framework {

// Sees every remote call made through any connection of the process, before
// it is sent (the scenario runner counts them).
class CallObserver {
 public:
  virtual ~CallObserver() = default;
  virtual void Called(const std::string& method, const std::vector<rpc::Param>& params) = 0;
};

class TNetConnection : public toolkit::Component {
 public:
  using NotifyEvent = std::function<void(TNetConnection& sender)>;

  explicit TNetConnection(toolkit::Component* owner = nullptr);
  ~TNetConnection() override;

  const std::string& ServerName() const { return serverName_; }
  void SetServerName(std::string name) { serverName_ = std::move(name); }
  const std::string& Host() const { return host_; }
  void SetHost(std::string host) { host_ = std::move(host); }
  int Port() const { return port_; }
  void SetPort(int port) { port_ = port; }
  // With false, a failed connect is shown as an error message and the
  // connection stays closed; with true it throws instead.
  bool ThrowException() const { return throwException_; }
  void SetThrowException(bool value) { throwException_ = value; }

  // Setting true fires BeforeConnect, then opens the connection and makes
  // the handshake (server name, the host's user and token). A failure gives
  // "Não foi possível conectar ao servidor de aplicação HOST:PORT" and the
  // reason on a second line: shown (ThrowException false) or thrown as
  // std::runtime_error. Setting false closes the connection.
  bool Connected() const { return connected_; }
  void SetConnected(bool connected);
  NotifyEvent BeforeConnect, AfterConnect, AfterDisconnect;

  // Calls a remote method and returns its answer; never throws for a
  // refusal of the server or a failure of the network, which come back as a
  // failed answer (answerLost when the request had gone out whole; the
  // network's failure reads "Falha na comunicação com o servidor de
  // aplicação HOST:PORT" and "METHOD: reason." on a second line). A
  // closed connection is connected first (BeforeConnect runs again); a
  // failed connect is the call's failed answer.
  ServerAnswer Call(const std::string& method, const std::vector<rpc::Param>& params);

  // How long a call waits for its answer: the host's CallTimeout.
  static std::chrono::milliseconds CallTimeout();

  static void SetCallObserver(CallObserver* observer);

 private:
  std::string ConnectFailure(const std::string& reason) const;
  std::string StationRefused(const rpc::RpcError& e) const;
  bool Open(std::string& failure);

  std::string serverName_;
  std::string host_ = "127.0.0.1";
  int port_ = 0;
  bool throwException_ = true;
  bool connected_ = false;
  std::unique_ptr<rpc::Client> client_;
};

}  // namespace framework
