#pragma once
// A blocking client of the application server, for one thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rpc/Frame.h"
#include "rpc/Message.h"

namespace rpc {

struct ClientOptions {
  std::chrono::milliseconds connectTimeout{std::chrono::seconds(5)};
  std::chrono::milliseconds callTimeout{std::chrono::seconds(30)};
  std::size_t maxFrame = kMaxFrameSize;
  // TLS to the server, whose certificate must be signed by an authority in
  // caFile (PEM; empty: the system's) for the host name or address given.
  bool tls = false;
  std::string caFile;
  // Called about every 50 ms while a connection or a call waits for the
  // server, on the calling thread (a front end paints its wait indicator).
  std::function<void()> whileWaiting;
};

class Client {
 public:
  // Throws TransportError when TLS is asked for and the authorities in
  // options.caFile cannot be used.
  Client(std::string host, std::uint16_t port, ClientOptions options = {});
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // Opens the connection and sends Connect; remembers the three values so
  // that a later call can open the connection again by itself. Throws
  // TransportError when the server cannot be reached in time, RpcError when
  // it refuses the handshake.
  void Connect(std::string serverName, std::string user, std::string token);

  // Sends one request and waits for its answer. Throws RpcError when the
  // server answers with an error, TransportError when the connection fails
  // or the answer does not come in time (AnswerLost once the request went
  // out whole); the connection is then dropped and
  // the next call opens it again (with the handshake) before sending.
  // Throws std::logic_error when Connect was never called.
  Reply Call(std::string_view method, const std::vector<Param>& params);

  // Closes the connection; the next Call opens it again.
  void Disconnect();
  bool Connected() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rpc
