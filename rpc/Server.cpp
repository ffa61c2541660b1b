#include "rpc/Server.h"

#include "rpc/ServerConnection.h"
#include "rpc/ServerCore.h"
#include "rpc/TlsContext.h"

namespace rpc {

namespace server_detail {

namespace {

// Time-outs beyond this are taken as "never", so that adding one to the
// clock cannot overflow.
constexpr auto kForever = std::chrono::hours(24 * 365);

std::string AddressOf(const tcp::socket& socket, std::string* peer) {
  std::error_code ec;
  const tcp::endpoint ep = socket.remote_endpoint(ec);
  if (ec) return *peer = "unknown peer";
  *peer = EndpointText(ep);
  return ep.address().to_string();
}

}  // namespace

Clock::time_point After(std::chrono::milliseconds timeout) {
  if (timeout.count() <= 0 || timeout >= kForever) return Clock::now() + kForever;
  return Clock::now() + timeout;
}

std::string Millis(std::chrono::milliseconds t) { return std::to_string(t.count()) + " ms"; }

std::string EndpointText(const tcp::endpoint& ep) {
  const asio::ip::address a = ep.address();
  std::string host = a.to_string();
  if (a.is_v6()) host = "[" + host + "]";
  return host + ":" + std::to_string(ep.port());
}

std::string InternalErrorResponse(const std::string& idJson, const std::string& text) {
  try {
    return EncodeError(idJson, RpcError(kInternalError, text));
  } catch (const std::invalid_argument&) {
    return EncodeError("null", RpcError(kInternalError, "internal error"));
  }
}

Core::Core(ServerOptions o, Server::Handle h)
    : options(std::move(o)),
      handle(std::move(h)),
      peers(options.maxConnectionsPerPeer),
      // With one thread the scheduler need not wake others for each handler.
      io(options.threads <= 1 ? 1 : ASIO_CONCURRENCY_HINT_DEFAULT) {}

bool Core::ReserveFrame(std::size_t n) {
  std::size_t taken = frameBytes.load();
  do {
    if (taken + n > options.maxMemory) return false;
  } while (!frameBytes.compare_exchange_weak(taken, taken + n));
  return true;
}

void Core::Accept() {
  // Each connection gets its own strand.
  acceptor.async_accept(asio::make_strand(io), [this](std::error_code ec, tcp::socket socket) {
    if (ec == asio::error::operation_aborted || !acceptor.is_open()) return;
    if (ec) {
      spdlog::warn("rpc: {}: accept failed: {}", local, ec.message());
      const bool outOfResources = ec == asio::error::no_descriptors || ec == asio::error::no_buffer_space ||
                                  ec == asio::error::no_memory || ec == std::errc::too_many_files_open_in_system;
      if (!outOfResources) {
        Accept();  // one peer's trouble (reset before the accept, say)
        return;
      }
      // Try again shortly rather than spin while nothing can be accepted.
      acceptRetry.expires_after(std::chrono::milliseconds(100));
      acceptRetry.async_wait([this](std::error_code e) {
        if (!e) Accept();
      });
      return;
    }
    OnAccepted(std::move(socket));
    Accept();
  });
}

void Core::OnAccepted(tcp::socket socket) {
  std::string peer;
  const std::string address = AddressOf(socket, &peer);
  std::error_code ec;
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard lock(mutex);
    if (stopping) {
      socket.close(ec);
      return;
    }
    if (connections.size() >= options.maxConnections) {
      LogRefusal(address, "{}: connection from {} refused: {} connections open, the limit", local, peer,
                 connections.size());
      socket.close(ec);
      return;
    }
    if (!peers.Open(address)) {
      LogRefusal(address, "{}: connection from {} refused: {} connections open from that address, the limit", local,
                 peer, options.maxConnectionsPerPeer);
      socket.close(ec);
      return;
    }
    // Without it a small answer waits for the peer's delayed ACK.
    socket.set_option(tcp::no_delay(true), ec);
    if (ec) spdlog::warn("rpc: {}: cannot set TCP_NODELAY: {}", peer, ec.message());
    ServerStream stream = tls ? ServerStream(std::move(socket), *tls) : ServerStream(std::move(socket));
    connection = std::make_shared<Connection>(*this, std::move(stream), std::move(peer), address);
    connections.emplace(connection.get(), connection);
  }
  asio::dispatch(connection->Executor(), [connection] { connection->Start(); });
}

void Core::RunThread() {
  for (;;) {
    try {
      io.run();
      return;
    } catch (const std::exception& e) {
      spdlog::error("rpc: {}: unexpected exception on a server thread: {}", local, e.what());
    } catch (...) {
      spdlog::error("rpc: {}: unexpected exception on a server thread", local);
    }
  }
}

}  // namespace server_detail

using server_detail::Connection;
using server_detail::Core;
using server_detail::EndpointText;
using server_detail::tcp;

struct Server::Impl {
  Impl(ServerOptions options, Handle handle) : core(std::move(options), std::move(handle)) {}
  Core core;
};

Server::Server(ServerOptions options, Handle handle)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(handle))) {
  if (!impl_->core.handle) throw std::invalid_argument("rpc::Server: no request handle given");
}

Server::~Server() { Stop(); }

void Server::Start() {
  Core& c = impl_->core;
  std::lock_guard stateLock(c.stateMutex);
  if (c.state != Core::State::Created) throw std::logic_error("rpc::Server::Start: the server was already started");

  const std::string where = c.options.address + ":" + std::to_string(c.options.port);
  tcp::endpoint endpoint;
  std::error_code ec;
  const asio::ip::address address = asio::ip::make_address(c.options.address, ec);
  if (!ec) {
    endpoint = tcp::endpoint(address, c.options.port);
  } else {
    tcp::resolver resolver(c.io);
    const auto results = resolver.resolve(c.options.address, std::to_string(c.options.port), ec);
    if (ec || results.empty())
      throw std::runtime_error("rpc server: cannot resolve the listen address " + where + ": " +
                               (ec ? ec.message() : std::string("no address")));
    endpoint = results.begin()->endpoint();
  }
  if (!c.options.allowRemote && !endpoint.address().is_loopback())
    throw std::runtime_error("rpc server: refusing to listen on " + where +
                             ": not a loopback address, and listening beyond loopback was not allowed");
  if (c.options.tlsCert.empty() != c.options.tlsKey.empty())
    throw std::invalid_argument("rpc server: TLS needs both a certificate and a key");
  if (!c.options.tlsCert.empty()) c.tls.emplace(MakeServerTlsContext(c.options.tlsCert, c.options.tlsKey));
  auto fail = [&](const char* what) {
    std::error_code ignored;
    c.acceptor.close(ignored);
    throw std::runtime_error("rpc server: cannot " + std::string(what) + " " + where + ": " + ec.message());
  };
  c.acceptor.open(endpoint.protocol(), ec);
  if (ec) fail("open a socket for");
  c.acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  if (ec) fail("set SO_REUSEADDR on");
  c.acceptor.bind(endpoint, ec);
  if (ec) fail("bind");
  c.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) fail("listen on");
  c.port = c.acceptor.local_endpoint().port();
  c.local = EndpointText(tcp::endpoint(endpoint.address(), c.port));

  c.slowLane.emplace(static_cast<std::size_t>(std::max(1, c.options.slowThreads)));
  c.Accept();
  const int n = std::max(1, c.options.threads);
  c.threads.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) c.threads.emplace_back([&c] { c.RunThread(); });
  c.state = Core::State::Running;
  spdlog::info("rpc: listening on {}{} with {} thread{}", c.local, c.tls ? " (TLS)" : "", n, n == 1 ? "" : "s");
}

std::uint16_t Server::Port() const { return impl_->core.port; }

void Server::Stop() {
  Core& c = impl_->core;
  {
    std::unique_lock lock(c.stateMutex);
    if (c.state == Core::State::Created) {
      c.state = Core::State::Stopped;
      c.stateChanged.notify_all();
      return;
    }
    if (c.state != Core::State::Running) {
      // Stopped, or being stopped by another thread: wait for it.
      c.stateChanged.wait(lock, [&] { return c.state == Core::State::Stopped; });
      return;
    }
    for (const std::thread& t : c.threads)
      if (t.get_id() == std::this_thread::get_id())
        throw std::logic_error("rpc::Server::Stop called from a request handler");
    c.state = Core::State::Stopping;
  }

  std::vector<std::shared_ptr<Connection>> open;
  {
    std::lock_guard lock(c.mutex);
    c.stopping = true;
    for (auto& [raw, weak] : c.connections)
      if (auto conn = weak.lock()) open.push_back(std::move(conn));
  }
  asio::post(c.acceptStrand, [&c] {
    std::error_code ec;
    c.acceptor.close(ec);
    c.acceptRetry.cancel();
  });
  for (auto& conn : open) asio::post(conn->Executor(), [conn] { conn->Close("the server is stopping"); });
  open.clear();
  // Every socket and timer is closed, so the threads run out of work once
  // the handlers under way (a database call, say) have returned.
  for (std::thread& t : c.threads) t.join();
  c.threads.clear();
  // Idle by now: each slow request held the I/O threads until it was done.
  c.slowLane->join();
  c.slowLane.reset();
  spdlog::info("rpc: {} stopped", c.local);

  std::lock_guard lock(c.stateMutex);
  c.state = Core::State::Stopped;
  c.stateChanged.notify_all();
}

void Server::Wait() {
  Core& c = impl_->core;
  std::unique_lock lock(c.stateMutex);
  c.stateChanged.wait(lock, [&] { return c.state == Core::State::Stopped; });
}

}  // namespace rpc
