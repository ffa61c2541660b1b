#include "rpc/Client.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <stdexcept>
#include <vector>

#include "rpc/ClientTls.h"
#include "rpc/TransportText.h"

namespace rpc {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kServerClosed = "o servidor encerrou a conexão";

// The clock reading `timeout` from now; very long ones are cut to a year
// so that the sum cannot overflow.
Clock::time_point After(std::chrono::milliseconds timeout) {
  return Clock::now() + std::clamp<std::chrono::milliseconds>(timeout, std::chrono::milliseconds(0),
                                                             std::chrono::hours(24 * 365));
}

// Milliseconds left until the deadline, rounded up, 0 when it has passed.
int MillisLeft(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(ms);
}

constexpr int kTickMs = 50;

// Waits for the events on fd; false when the deadline passed first. With a
// tick, waits in slices and calls it between them.
bool PollFor(int fd, short events, Clock::time_point deadline, int& err, const std::function<void()>& tick) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int left = MillisLeft(deadline);
    const int n = ::poll(&p, 1, tick ? std::min(left, kTickMs) : left);
    if (n == 0 && tick && MillisLeft(deadline) > 0) {
      tick();
      continue;
    }
    if (n > 0) return true;
    if (n == 0) {
      if (MillisLeft(deadline) == 0) return false;
      continue;
    }
    if (errno != EINTR) {
      err = errno;
      return true;
    }
  }
}

}  // namespace

struct Client::Impl {
  Impl(std::string h, std::uint16_t p, ClientOptions o)
      : host(std::move(h)), port(p), options(o), decoder(o.maxFrame), in(64 * 1024) {
    where = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
    if (options.tls) tls = std::make_unique<ClientTls>(options.caFile);
  }
  ~Impl() { Drop(); }

  std::string host;
  std::uint16_t port;
  ClientOptions options;
  std::string where;  // "host:port", for messages

  bool haveHandshake = false;
  std::string serverName, user, token;

  int fd = -1;
  std::uint64_t nextId = 1;
  bool sentWhole = false;  // the last Exchange's request went out entirely
  FrameDecoder decoder;
  std::string out;
  std::vector<char> in;
  std::unique_ptr<ClientTls> tls;  // set: the connection is TLS

  void Drop() {
    if (tls) tls->End();
    if (fd >= 0) ::close(fd);
    fd = -1;
    decoder = FrameDecoder(options.maxFrame);
  }

  // Every wait of the connection gives the caller its ticks.
  bool WaitFor(int socket, short events, Clock::time_point deadline, int& err) const {
    return PollFor(socket, events, deadline, err, options.whileWaiting);
  }

  // The call (its method and the server) failed for reason.
  [[noreturn]] void Fail(const std::string& call, const std::string& reason) {
    Drop();
    throw TransportError(call + ": " + reason + ".", reason);
  }

  [[noreturn]] void FailConnect(const std::string& reason) {
    Drop();
    throw TransportError("Não foi possível conectar a " + where + ": " + reason + ".", reason);
  }

  void OpenSocket() {
    Drop();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list); rc != 0)
      FailConnect(ResolveText(rc, host));
    const Clock::time_point deadline = After(options.connectTimeout);
    std::string lastError = "o nome '" + host + "' não tem endereço";
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
      const int s = ::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
      if (s < 0) {
        lastError = ErrnoText(errno);
        continue;
      }
      int err = 0;
      if (::connect(s, ai->ai_addr, ai->ai_addrlen) != 0) {
        err = errno;
        if (err == EINPROGRESS) {
          err = 0;
          if (!WaitFor(s, POLLOUT, deadline, err)) {
            lastError = NoAnswerText(options.connectTimeout.count());
            ::close(s);
            break;  // the time is spent, whatever addresses are left
          }
          if (err == 0) {
            socklen_t len = sizeof err;
            if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
          }
        }
      }
      if (err != 0) {
        lastError = ErrnoText(err);
        ::close(s);
        continue;
      }
      // Without it every small request waits for the delayed ACK.
      const int one = 1;
      ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      fd = s;
      break;
    }
    ::freeaddrinfo(list);
    if (fd < 0) FailConnect(lastError);
    if (tls) StartTls(deadline);
  }

  void StartTls(Clock::time_point deadline) {
    try {
      tls->Begin(fd, host);
      for (long step = tls->Handshake(); step != 1; step = tls->Handshake()) {
        int err = 0;
        if (!WaitFor(fd, step == ClientTls::kWantRead ? POLLIN : POLLOUT, deadline, err))
          FailConnect("handshake TLS " + NoAnswerText(options.connectTimeout.count()));
        if (err) FailConnect(ErrnoText(err));
      }
    } catch (const TransportError& e) {
      if (fd >= 0) FailConnect(e.Reason());  // from TLS itself
      throw;
    }
  }

  // True when the unused connection was closed by the server (idle
  // time-out, restart) or holds bytes for no request.
  bool ClosedWhileIdle() {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) == 0) return false;
    return !tls || (p.revents & (POLLHUP | POLLERR)) || tls->ClosedWhileIdle();
  }

  // Opens the connection and repeats the handshake.
  void Open() {
    const std::string id = "1";
    const std::string request =
        EncodeRequest(id, "Connect",
                      std::vector<std::pair<std::string, Param>>{{"server", Param::String(serverName)},
                                                                 {"user", Param::String(user)},
                                                                 {"token", Param::String(token)}});
    OpenSocket();
    nextId = 2;
    const Response r = Exchange(id, request, "Connect");
    if (!r.ok) {
      // The server closes the connection after a refused handshake.
      Drop();
      throw HandshakeRefused(r.code, r.message, r.dataJson);
    }
  }

  // A connection the server closed while it lay unused (idle time-out,
  // restart) is readable: it is reopened before the request goes out, so
  // the call does not fail for it. Nothing is ever sent twice.
  void EnsureOpen() {
    if (fd >= 0 && ClosedWhileIdle()) Drop();
    if (fd < 0) Open();
  }

  void SendAll(std::string_view data, Clock::time_point deadline, const std::string& call) {
    if (tls) return SendAllTls(data, deadline, call);
    while (!data.empty()) {
      const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
      if (n >= 0) {
        data.remove_prefix(static_cast<std::size_t>(n));
        continue;
      }
      int err = errno;
      if (err == EINTR) continue;
      if (err != EAGAIN && err != EWOULDBLOCK) Fail(call, "falha ao enviar: " + ErrnoText(err));
      err = 0;
      if (!WaitFor(fd, POLLOUT, deadline, err)) Fail(call, NoAnswerText(options.callTimeout.count()));
      if (err) Fail(call, "falha ao enviar: " + ErrnoText(err));
    }
  }

  // Waits for the socket as a TLS step asked; fails the call on time-out.
  void WaitTls(long step, Clock::time_point deadline, const std::string& call) {
    int err = 0;
    if (!WaitFor(fd, step == ClientTls::kWantWrite ? POLLOUT : POLLIN, deadline, err))
      Fail(call, NoAnswerText(options.callTimeout.count()));
    if (err) Fail(call, ErrnoText(err));
  }

  void SendAllTls(std::string_view data, Clock::time_point deadline, const std::string& call) {
    while (!data.empty()) {
      long n = 0;
      try {
        n = tls->Write(data.data(), data.size());
      } catch (const TransportError& e) {
        Fail(call, e.Reason());  // names the TLS step
      }
      if (n > 0)
        data.remove_prefix(static_cast<std::size_t>(n));
      else if (n == 0)
        Fail(call, kServerClosed);
      else
        WaitTls(n, deadline, call);
    }
  }

  // Reads what has come of the answer into the decoder, waiting for it.
  void Receive(Clock::time_point deadline, const std::string& call) {
    if (tls) return ReceiveTls(deadline, call);
    int err = 0;
    if (!WaitFor(fd, POLLIN, deadline, err)) Fail(call, NoAnswerText(options.callTimeout.count()));
    if (err) Fail(call, "falha ao receber: " + ErrnoText(err));
    const ssize_t n = ::recv(fd, in.data(), in.size(), 0);
    if (n > 0) {
      decoder.Feed(std::string_view(in.data(), static_cast<std::size_t>(n)));
    } else if (n == 0) {
      Fail(call, kServerClosed);
    } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      Fail(call, "falha ao receber: " + ErrnoText(errno));
    }
  }

  void ReceiveTls(Clock::time_point deadline, const std::string& call) {
    if (!tls->Pending()) WaitTls(ClientTls::kWantRead, deadline, call);
    long n = 0;
    try {
      n = tls->Read(in.data(), in.size());
    } catch (const TransportError& e) {
      Fail(call, e.Reason());  // names the TLS step
    }
    if (n > 0)
      decoder.Feed(std::string_view(in.data(), static_cast<std::size_t>(n)));
    else if (n == 0)
      Fail(call, kServerClosed);
    else if (n == ClientTls::kWantWrite)
      WaitTls(n, deadline, call);
  }

  // Sends one request and reads its answer.
  Response Exchange(const std::string& idJson, std::string_view request, std::string_view method) {
    const std::string call = std::string(method) + " (" + where + ")";
    out.clear();
    AppendFrame(out, request, options.maxFrame);  // too long: nothing sent, the connection stays
    const Clock::time_point deadline = After(options.callTimeout);
    sentWhole = false;
    SendAll(out, deadline, call);
    sentWhole = true;
    std::optional<std::string> payload;
    for (;;) {
      try {
        payload = decoder.Next();
      } catch (const FrameError& e) {
        Fail(call, std::string("resposta ilegível: ") + e.what());
      }
      if (payload) break;
      Receive(deadline, call);
    }
    Response r;
    try {
      r = DecodeResponse(*payload);
    } catch (const RpcError& e) {
      Fail(call, std::string("resposta ilegível: ") + e.what());
    }
    // An error with id null is the server's answer to a request it could
    // not read; one request is in flight, so it is this one.
    if (r.idJson != idJson && !(r.idJson == "null" && !r.ok))
      Fail(call, "a resposta veio com o id " + r.idJson.substr(0, 40) + " em vez de " + idJson);
    // Bytes after the answer belong to no request: start afresh next time.
    if (decoder.Buffered()) Drop();
    return r;
  }
};

Client::Client(std::string host, std::uint16_t port, ClientOptions options)
    : impl_(std::make_unique<Impl>(std::move(host), port, options)) {}

Client::~Client() = default;

void Client::Connect(std::string serverName, std::string user, std::string token) {
  Impl& c = *impl_;
  c.serverName = std::move(serverName);
  c.user = std::move(user);
  c.token = std::move(token);
  c.haveHandshake = true;
  c.Drop();
  c.Open();
}

Reply Client::Call(std::string_view method, const std::vector<Param>& params) {
  Impl& c = *impl_;
  if (!c.haveHandshake) throw std::logic_error("rpc::Client::Call(" + std::string(method) + "): Connect was never called");
  c.EnsureOpen();
  const std::string id = std::to_string(c.nextId);
  const std::string request = EncodeRequest(id, method, params);  // bad argument: nothing sent
  ++c.nextId;
  Response r;
  try {
    r = c.Exchange(id, request, method);
  } catch (const TransportError& e) {
    // A frame sent in part is never read by the server; one sent whole may
    // have been carried out.
    if (c.sentWhole) throw AnswerLost(e.what(), e.Reason());
    throw;
  }
  if (!r.ok) throw RpcError(r.code, r.message, std::move(r.dataJson));
  return std::move(r.reply);
}

void Client::Disconnect() { impl_->Drop(); }

bool Client::Connected() const { return impl_->fd >= 0; }

}  // namespace rpc
