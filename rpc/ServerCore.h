#pragma once
// Inside the server: what rpc::Server shares with its connections. Not for
// users of the server.

#include <spdlog/spdlog.h>

#include <asio.hpp>
#include <asio/ssl.hpp>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "rpc/PeerGuard.h"
#include "rpc/Server.h"

namespace rpc::server_detail {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

class Connection;

// Frames up to this size need no share of ServerOptions::maxMemory: a
// connection holds that much anyway.
inline constexpr std::size_t kFreeFrameSize = 64 * 1024;

struct Core {
  Core(ServerOptions o, Server::Handle h);

  ServerOptions options;
  Server::Handle handle;
  // Before io: connections still queued in io at its end tell these they
  // close.
  PeerGuard peers;
  std::atomic<std::size_t> frameBytes{0};  // of options.maxMemory, taken
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

  // Takes n bytes of options.maxMemory for a large frame; false when they
  // are not free.
  bool ReserveFrame(std::size_t n);
  void ReleaseFrame(std::size_t n) { frameBytes.fetch_sub(n); }

  // Logs a refusal of a peer at warn, a few a minute per address; the
  // others are counted and the count told with the next line.
  template <typename... Args>
  void LogRefusal(const std::string& address, fmt::format_string<Args...> format, Args&&... args) {
    std::size_t suppressed = 0;
    if (!peers.MayLog(address, &suppressed)) return;
    std::string line = fmt::format(format, std::forward<Args>(args)...);
    if (suppressed > 0) line += fmt::format(" ({} more refusals not logged)", suppressed);
    spdlog::warn("rpc: {}", line);
  }
};

// The clock reading `timeout` from now; none (0 or less) and very long
// ones are "never".
Clock::time_point After(std::chrono::milliseconds timeout);
std::string Millis(std::chrono::milliseconds t);
std::string EndpointText(const tcp::endpoint& ep);
// An error answer that can always be encoded, for failures outside the
// dispatcher (a throwing handle, an answer over the frame limit).
std::string InternalErrorResponse(const std::string& idJson, const std::string& text);

}  // namespace rpc::server_detail
