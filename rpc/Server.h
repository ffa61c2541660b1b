#pragma once
// The socket side of the application server: accepts TCP connections and
// runs one read-handle-write loop per connection on a pool of threads.
// Request handling itself is a function given by the caller (normally
// Dispatcher::Handle), so the same core serves a bare echo for benchmarks.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "rpc/Dispatcher.h"
#include "rpc/Frame.h"

namespace rpc {

struct ServerOptions {
  std::string address = "127.0.0.1";
  std::uint16_t port = 0;  // 0: any free port (see Server::Port)
  int threads = 2;
  // Threads for the requests the handle sends to the slow lane
  // (Outcome::later): those may wait for database locks, and do it there
  // rather than on the threads above.
  int slowThreads = 2;
  // Listening on an address that is not loopback must be asked for (and
  // the caller should then require a token).
  bool allowRemote = false;
  // A connection with no complete request for this long is closed (0: never).
  std::chrono::milliseconds idleTimeout{std::chrono::minutes(5)};
  // A new connection must have completed Connect (and TLS's handshake)
  // within this, or it is closed (0: no bound). Until then its frames are
  // limited to 8 KiB and its first error closes it, the answer held back
  // longer at each refusal of its address.
  std::chrono::milliseconds handshakeTimeout{std::chrono::seconds(10)};
  // Once a request has begun to arrive, the rest must follow within this
  // (0: no bound). The TLS handshake is bounded by handshakeTimeout.
  std::chrono::milliseconds frameTimeout{std::chrono::seconds(30)};
  std::size_t maxFrame = kMaxFrameSize;
  std::size_t maxConnections = 1024;
  // Connections one peer address may hold open at once (0: no limit).
  std::size_t maxConnectionsPerPeer = 64;
  // Bytes all connections together may hold for requests over 64 KiB
  // arriving; a connection whose request finds no room left is closed.
  std::size_t maxMemory = std::size_t{256} << 20;
  // Requests per second one connection may make, sustained; a burst of a
  // second's worth passes. Requests over it get an error answer (0: no limit).
  double maxRequestRate = 1000;
  // PEM files; both set: every connection is TLS (1.2 or later).
  std::string tlsCert, tlsKey;
  // Set: the port also answers JSON-RPC over HTTP/1.1 (POST /rpc), told
  // apart from frames by a connection's first byte. HTTP requests carry no
  // Connect: each stands for one to this server name, with the user and
  // token of its headers. Empty: frames only.
  std::string httpServerName;
};

class Server {
 public:
  // Called on a pool thread for each request; may be called concurrently
  // for different connections, never for the same one.
  using Handle = std::function<Dispatcher::Outcome(std::string_view request, Session& session)>;

  Server(ServerOptions options, Handle handle);
  ~Server();  // Stop()
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds, listens and starts the threads. Throws std::runtime_error naming
  // the address when it cannot bind or is beyond loopback unallowed, or
  // naming the file when the TLS certificate or key cannot be used.
  void Start();
  // The port bound by Start.
  std::uint16_t Port() const;
  // Stops accepting, closes every connection and joins the threads.
  // Idempotent; safe from a signal-watching thread, not from a handler.
  void Stop();
  // Blocks until Stop has finished.
  void Wait();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rpc
