#include "rpc/Server.h"

#include <spdlog/spdlog.h>

#include <array>
#include <asio.hpp>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

#include "rpc/RequestRate.h"
#include "rpc/ServerStream.h"
#include "rpc/TlsContext.h"

namespace rpc {

namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 16 * 1024;

// Time-outs beyond this are taken as "never", so that adding one to the
// clock cannot overflow.
constexpr auto kForever = std::chrono::hours(24 * 365);

// The clock reading `timeout` from now; none (0 or less) and very long
// ones are "never".
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

std::string PeerOf(const tcp::socket& socket) {
  std::error_code ec;
  const tcp::endpoint ep = socket.remote_endpoint(ec);
  return ec ? std::string("unknown peer") : EndpointText(ep);
}

// An error answer that can always be encoded, for failures outside the
// dispatcher (a throwing handle, an answer over the frame limit).
std::string InternalErrorResponse(const std::string& text) {
  try {
    return EncodeError("null", RpcError(kInternalError, text));
  } catch (const std::invalid_argument&) {
    return EncodeError("null", RpcError(kInternalError, "internal error"));
  }
}

class Connection;

// Everything the server shares with its connections.
struct Core {
  Core(ServerOptions o, Server::Handle h)
      : options(std::move(o)),
        handle(std::move(h)),
        // With one thread the scheduler need not wake others for each handler.
        io(options.threads <= 1 ? 1 : ASIO_CONCURRENCY_HINT_DEFAULT) {}

  ServerOptions options;
  Server::Handle handle;
  asio::io_context io;
  std::optional<asio::ssl::context> tls;  // set: every connection is TLS
  // The acceptor and its retry timer live on one strand, so that Stop can
  // close it from another thread.
  asio::strand<asio::io_context::executor_type> acceptStrand{io.get_executor()};
  tcp::acceptor acceptor{acceptStrand};
  asio::steady_timer acceptRetry{acceptStrand};
  std::string local;  // "address:port" bound, for logs
  std::uint16_t port = 0;
  std::vector<std::thread> threads;
  std::optional<asio::thread_pool> slowLane;  // from Start to Stop

  std::mutex mutex;  // guards the two below
  bool stopping = false;
  std::unordered_map<Connection*, std::weak_ptr<Connection>> connections;

  enum class State { Created, Running, Stopping, Stopped };
  std::mutex stateMutex;
  std::condition_variable stateChanged;
  State state = State::Created;

  void Accept();
  void OnAccepted(tcp::socket socket);
  void Unregister(Connection* c) {
    std::lock_guard lock(mutex);
    connections.erase(c);
  }
  void RunThread();
};

// One client connection: reads frames, hands each request to the handle,
// writes the answer, then reads on. All of it runs on the socket's strand,
// so a connection's requests are handled one at a time and in order, while
// the pool serves other connections.
class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(Core& core, ServerStream stream, std::string peer)
      : core_(core),
        stream_(std::move(stream)),
        idle_(executor_),
        decoder_(core.options.maxFrame),
        rate_(core.options.maxRequestRate),
        in_(kReadChunk) {
    session_.peer = std::move(peer);
  }

  // Safe from any thread: a copy taken at construction.
  const tcp::socket::executor_type& Executor() const { return executor_; }

  void Start() {
    if (closed_) return;  // the server stopped before the connection started
    spdlog::debug("rpc: {} connected", session_.peer);
    if (!stream_.Tls()) {
      SetDeadline(core_.options.idleTimeout, "idle for ");
      WaitIdle();
      Read();
      return;
    }
    SetDeadline(core_.options.frameTimeout, "no TLS handshake within ");
    WaitIdle();
    stream_.AsyncHandshake([self = shared_from_this()](std::error_code ec) {
      if (self->closed_) return;
      if (ec) return self->Close("TLS handshake failed: " + ec.message(), spdlog::level::warn);
      self->SetDeadline(self->core_.options.idleTimeout, "idle for ");
      self->Read();
    });
  }

  void Close(std::string_view why, spdlog::level::level_enum level = spdlog::level::debug) {
    if (closed_) return;
    closed_ = true;
    stream_.Close();
    idle_.cancel();
    core_.Unregister(this);
    spdlog::log(level, "rpc: {} closed: {}", session_.peer, why);
  }

 private:
  void Read() {
    stream_.AsyncReadSome(asio::buffer(in_), [self = shared_from_this()](std::error_code ec, std::size_t n) {
      self->OnRead(ec, n);
    });
  }

  void OnRead(std::error_code ec, std::size_t n) {
    if (closed_) return;
    if (ec) {
      if (ec == asio::error::eof)
        Close(decoder_.Buffered() ? "the peer closed the connection inside a frame" : "closed by the peer");
      else if (ec != asio::error::operation_aborted)
        Close(ec.message());
      return;
    }
    decoder_.Feed(std::string_view(in_.data(), n));
    Process();
  }

  // Answers the next whole request already received, or reads on.
  void Process() {
    std::optional<std::string> request;
    try {
      request = decoder_.Next();
    } catch (const FrameError& e) {
      Close(e.what(), spdlog::level::warn);
      return;
    }
    if (!request) {
      if (decoder_.Buffered() > 0 && !frameStarted_) {
        // A request has begun: the rest of it must not trickle in forever.
        frameStarted_ = true;
        TightenDeadline(core_.options.frameTimeout, "no whole request within ");
      }
      Read();
      return;
    }
    frameStarted_ = false;
    if (!rate_.Admit()) {
      spdlog::warn("rpc: {}: request refused: over {} requests per second", session_.peer,
                   core_.options.maxRequestRate);
      // The limit as a person writes it ("1000", "2.5"), answered by the
      // request's id so that the caller knows which call was refused.
      const std::string limit = fmt::format("{}", core_.options.maxRequestRate);
      Write({EncodeError(Dispatcher::IdOf(*request),
                         RpcError(kTooManyRequests, "too many requests: the limit is " + limit + " per second")),
             false});
      return;
    }
    Dispatcher::Outcome outcome = Guarded([&] { return core_.handle(*request, session_); });
    if (outcome.later) return RunOnSlowLane(std::move(outcome.later));
    Write(std::move(outcome));
  }

  // The handle's outcome, or an internal error when it throws.
  template <typename Handle>
  Dispatcher::Outcome Guarded(Handle&& handle) {
    try {
      return handle();
    } catch (const std::exception& e) {
      spdlog::error("rpc: {}: the request handler failed: {}", session_.peer, e.what());
      return {InternalErrorResponse(std::string("internal error: ") + e.what()), false};
    } catch (...) {
      spdlog::error("rpc: {}: the request handler failed with an unknown exception", session_.peer);
      return {InternalErrorResponse("internal error"), false};
    }
  }

  // The answer is made on the slow lane and written back on the strand; the
  // connection reads nothing meanwhile. The work guard keeps the I/O threads
  // running until the answer is back, also while the server stops.
  void RunOnSlowLane(std::function<std::string()> later) {
    asio::post(*core_.slowLane, [self = shared_from_this(), later = std::move(later),
                                 busy = asio::make_work_guard(core_.io)]() mutable {
      Dispatcher::Outcome outcome = self->Guarded([&] { return Dispatcher::Outcome{later(), false}; });
      asio::post(self->executor_, [self, outcome = std::move(outcome)]() mutable {
        if (!self->closed_) self->Write(std::move(outcome));
      });
      busy.reset();
    });
  }

  void Write(Dispatcher::Outcome outcome) {
    response_ = std::move(outcome.response);
    closeAfterWrite_ = outcome.close;
    if (response_.size() > core_.options.maxFrame) {
      spdlog::error("rpc: {}: answer of {} bytes exceeds the frame limit of {} bytes", session_.peer,
                    response_.size(), core_.options.maxFrame);
      response_ = InternalErrorResponse("the answer of " + std::to_string(response_.size()) +
                                        " bytes exceeds the frame limit of " +
                                        std::to_string(core_.options.maxFrame) + " bytes");
    }
    const auto n = static_cast<std::uint32_t>(response_.size());
    header_ = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
               static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
    // The idle clock restarts once the answer is ready: the time spent in
    // the handler does not count, a peer that does not read its answer does.
    SetDeadline(core_.options.idleTimeout, "idle for ");
    const std::array<asio::const_buffer, 2> buffers = {asio::buffer(header_), asio::buffer(response_)};
    stream_.AsyncWrite(buffers, [self = shared_from_this()](std::error_code ec, std::size_t) {
      self->OnWrite(ec);
    });
  }

  void OnWrite(std::error_code ec) {
    if (closed_) return;
    if (ec) {
      Close(ec.message());
      return;
    }
    if (closeAfterWrite_) {
      Close("closed after a refused request", spdlog::level::info);
      return;
    }
    Process();
  }

  // The connection closes at `timeout` from now, saying why + timeout.
  void SetDeadline(std::chrono::milliseconds timeout, const char* why) {
    deadline_ = After(timeout);
    deadlineWhy_ = why + Millis(timeout);
  }
  // The same, when it comes sooner than the deadline set; the timer is
  // moved only then.
  void TightenDeadline(std::chrono::milliseconds timeout, const char* why) {
    const Clock::time_point at = After(timeout);
    if (at >= deadline_) return;
    SetDeadline(timeout, why);
    if (at < armedAt_) WaitIdle();
  }

  // One timer wait at a time, moved on lazily: a request only moves the
  // deadline later, so that the hot path does not touch the timer.
  void WaitIdle() {
    armedAt_ = deadline_;
    idle_.expires_at(deadline_);  // cancels a wait under way, whose handler then does nothing
    idle_.async_wait([self = shared_from_this()](std::error_code ec) {
      if (ec || self->closed_) return;
      if (Clock::now() >= self->deadline_)
        self->Close(self->deadlineWhy_, spdlog::level::info);
      else
        self->WaitIdle();
    });
  }

  Core& core_;
  ServerStream stream_;
  const tcp::socket::executor_type executor_ = stream_.Executor();
  asio::steady_timer idle_;
  Clock::time_point deadline_ = Clock::now() + kForever;
  Clock::time_point armedAt_ = deadline_;
  std::string deadlineWhy_;
  bool frameStarted_ = false;
  FrameDecoder decoder_;
  RequestRate rate_;
  Session session_;
  std::vector<char> in_;
  std::array<unsigned char, kFrameHeaderSize> header_{};
  std::string response_;
  bool closeAfterWrite_ = false;
  bool closed_ = false;
};

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
  std::string peer = PeerOf(socket);
  std::error_code ec;
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard lock(mutex);
    if (stopping) {
      socket.close(ec);
      return;
    }
    if (connections.size() >= options.maxConnections) {
      spdlog::warn("rpc: {}: connection from {} refused: {} connections open, the limit", local, peer,
                   connections.size());
      socket.close(ec);
      return;
    }
    // Without it a small answer waits for the peer's delayed ACK.
    socket.set_option(tcp::no_delay(true), ec);
    if (ec) spdlog::warn("rpc: {}: cannot set TCP_NODELAY: {}", peer, ec.message());
    ServerStream stream = tls ? ServerStream(std::move(socket), *tls) : ServerStream(std::move(socket));
    connection = std::make_shared<Connection>(*this, std::move(stream), std::move(peer));
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

}  // namespace

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
