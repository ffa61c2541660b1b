#include "framework/NetConnection.h"

#include <stdexcept>

#include "framework/Helpers.h"
#include "framework/Host.h"
#include "rpc/Client.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace framework {

namespace {

CallObserver*& Observer() {
  static CallObserver* observer = nullptr;
  return observer;
}

// A transport failure's reason as a line of its own: "Conexão recusada."
std::string Sentence(std::string reason) {
  if (!reason.empty() && reason[0] >= 'a' && reason[0] <= 'z') reason[0] = static_cast<char>(reason[0] - 'a' + 'A');
  if (!reason.empty() && reason.back() != '.') reason += '.';
  return reason;
}

// The protocol's own refusals come in the server's English: the person
// reads what happened, with the server's words as the detail. Errors of
// the application come already in Portuguese and are left as they are.
std::string ProtocolFailure(const rpc::RpcError& e, const std::string& method) {
  std::string what;
  switch (e.Code()) {
    case rpc::kParseError:
    case rpc::kInvalidRequest: what = "O servidor de aplicação não entendeu o pedido " + method + "."; break;
    case rpc::kMethodNotFound:
      what = "O servidor de aplicação não tem a operação " + method + "; ele pode ser de outra versão.";
      break;
    case rpc::kInvalidParams: what = "O servidor de aplicação recusou os dados do pedido " + method + "."; break;
    case rpc::kInternalError: what = "Erro interno do servidor de aplicação em " + method + "."; break;
    case rpc::kTooManyRequests:
      what = "Pedidos demais ao servidor de aplicação em pouco tempo: aguarde um instante e tente novamente.";
      break;
    default: return e.what();
  }
  return what + "\nDetalhe do servidor: " + e.what();
}

}  // namespace

TNetConnection::TNetConnection(toolkit::Component* owner) : Component(owner) {}

TNetConnection::~TNetConnection() = default;

std::chrono::milliseconds TNetConnection::CallTimeout() { return std::chrono::seconds(framework::Host().callTimeout); }

void TNetConnection::SetCallObserver(CallObserver* observer) { Observer() = observer; }

std::string TNetConnection::ConnectFailure(const std::string& reason) const {
  return "Não foi possível conectar ao servidor de aplicação " + host_ + ":" + std::to_string(port_) + "\n" + reason;
}

// The server knows this station by its name and token.
std::string TNetConnection::StationRefused(const rpc::RpcError& e) const {
  return ConnectFailure("O servidor recusou esta estação: confira [Server] Token na configuração.\n"
                        "Detalhe do servidor: " + std::string(e.what()));
}

// Runs BeforeConnect and opens the connection; on failure leaves it closed
// and puts the user's text into failure.
namespace {

// The dialog service hears when a call that may have waited is over.
struct CallScope {
  CallScope() = default;
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;
  ~CallScope() { toolkit::Application::Instance().Dialogs().CallEnded(); }
};

}  // namespace

bool TNetConnection::Open(std::string& failure) {
  const CallScope scope;
  if (BeforeConnect) {
    NotifyEvent before = BeforeConnect;
    before(*this);
  }
  if (port_ <= 0 || port_ > 65535) {
    failure = ConnectFailure("Porta inválida: " + std::to_string(port_));
    return false;
  }
  try {
    rpc::ClientOptions options;
    options.tls = framework::Host().tls;
    options.caFile = framework::Host().caFile;
    options.callTimeout = CallTimeout();
    options.whileWaiting = [] { toolkit::Application::Instance().Dialogs().Waiting(); };
    auto client = std::make_unique<rpc::Client>(host_, static_cast<std::uint16_t>(port_), options);
    client->Connect(serverName_, framework::Host().user, framework::Host().token);
    client_ = std::move(client);
  } catch (const rpc::TransportError& e) {
    failure = ConnectFailure(Sentence(e.Reason()));
    return false;
  } catch (const rpc::RpcError& e) {
    failure = StationRefused(e);
    return false;
  }
  connected_ = true;
  if (AfterConnect) {
    NotifyEvent after = AfterConnect;
    after(*this);
  }
  return true;
}

void TNetConnection::SetConnected(bool connected) {
  if (connected == connected_) return;
  if (!connected) {
    client_.reset();
    connected_ = false;
    if (AfterDisconnect) {
      NotifyEvent after = AfterDisconnect;
      after(*this);
    }
    return;
  }
  std::string failure;
  if (Open(failure)) return;
  if (throwException_) throw std::runtime_error(failure);
  toolkit::Application::Instance().Dialogs().ShowError(failure);
}

ServerAnswer TNetConnection::Call(const std::string& method, const std::vector<rpc::Param>& params) {
  if (Observer()) Observer()->Called(method, params);
  const CallScope scope;
  if (!connected_) {
    std::string failure;
    if (!Open(failure)) return ServerAnswer::Failure(0, failure);
  }
  try {
    rpc::Reply reply = client_->Call(method, params);
    return ServerAnswer::Success(std::move(reply.resultJson), std::move(reply.byrefJson));
  } catch (const rpc::HandshakeRefused& e) {
    // Reconnecting inside the call (the server restarted with another
    // token, say): the station was refused, not the call's data.
    client_.reset();
    connected_ = false;
    return ServerAnswer::Failure(0, StationRefused(e));
  } catch (const rpc::RpcError& e) {
    ServerAnswer failure = ServerAnswer::Failure(e.Code(), ProtocolFailure(e, method));
    // The server itself cannot tell whether its commit went through: to the
    // caller that is an answer lost, settled the same way.
    failure.answerLost = e.Code() == rpc::kSaveOutcomeUnknown;
    return failure;
  } catch (const rpc::TransportError& e) {
    // Closed, so that the next call connects anew through BeforeConnect,
    // which may point it elsewhere.
    client_.reset();
    connected_ = false;
    ServerAnswer failure = ServerAnswer::Failure(0, "Falha na comunicação com o servidor de aplicação " + host_ +
                                                        ":" + std::to_string(port_) + "\n" + method + ": " +
                                                        e.Reason() + ".");
    failure.answerLost = dynamic_cast<const rpc::AnswerLost*>(&e) != nullptr;
    return failure;
  }
}

}  // namespace framework
