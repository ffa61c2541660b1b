#pragma once
// Inside the server: one client connection. It reads frames, hands each
// request to the handle, writes the answer, then reads on. All of it runs
// on the socket's strand, so a connection's requests are handled one at a
// time and in order, while the pool serves other connections.
//
// Until its Connect succeeds a connection is a stranger: it must shake
// hands within the handshake time-out, its frames are small, and its first
// error closes it after an answer held back longer at each refusal of its
// address.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rpc/Frame.h"
#include "rpc/RequestRate.h"
#include "rpc/ServerCore.h"
#include "rpc/ServerStream.h"

namespace rpc::server_detail {

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  // address: the peer's address alone, as counted by core.peers.Open.
  Connection(Core& core, ServerStream stream, std::string peer, std::string address);
  ~Connection();

  // Safe from any thread: a copy taken at construction.
  const tcp::socket::executor_type& Executor() const { return executor_; }

  void Start();
  void Close(std::string_view why, spdlog::level::level_enum level = spdlog::level::debug);

 private:
  void Read();
  void OnRead(std::error_code ec, std::size_t n);
  void Process();
  // A large frame under way gets its share of the server's memory, or the
  // connection is closed; false then.
  bool ReserveFrame();
  void ReleaseFrame();
  template <typename Handle>
  Dispatcher::Outcome Guarded(Handle&& handle);
  void RunOnSlowLane(std::function<std::string()> later);
  // What follows a request handled before the handshake was done.
  void AfterStrangersRequest(Dispatcher::Outcome& outcome);
  void Write(Dispatcher::Outcome outcome);
  void WriteLater(Dispatcher::Outcome outcome, std::chrono::milliseconds delay);
  void OnWrite(std::error_code ec);
  void SetDeadline(std::chrono::milliseconds timeout, const char* why);
  void TightenDeadline(std::chrono::milliseconds timeout, const char* why);
  void WaitIdle();

  Core& core_;
  ServerStream stream_;
  const tcp::socket::executor_type executor_ = stream_.Executor();
  const std::string address_;
  asio::steady_timer idle_;
  asio::steady_timer holdBack_;  // a refused handshake's answer waits on it
  Clock::time_point deadline_ = Clock::now() + std::chrono::hours(24 * 365);
  Clock::time_point armedAt_ = deadline_;
  std::string deadlineWhy_;
  bool frameStarted_ = false;
  std::size_t reserved_ = 0;  // bytes of core_.options.maxMemory held
  FrameDecoder decoder_;
  RequestRate rate_;
  Session session_;
  std::vector<char> in_;
  std::string request_;  // the one being handled, for its id
  std::array<unsigned char, kFrameHeaderSize> header_{};
  std::string response_;
  bool closeAfterWrite_ = false;
  bool closed_ = false;
};

}  // namespace rpc::server_detail
