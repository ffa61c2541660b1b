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
//
// A connection whose first byte is an upper-case letter speaks HTTP/1.1
// instead (when the server serves it): each request then authenticates on
// its own, and the same limits and time-outs hold.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "rpc/Frame.h"
#include "rpc/HttpRpc.h"
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
  void OnSlowLane(std::function<void()> work, std::function<void()> back);
  void RunOnSlowLane(std::function<std::string()> later);
  std::string OverRate(std::string_view request);
  bool BoundResponse(std::string_view request);
  // What follows a request handled before the handshake was done.
  void AfterStrangersRequest(Dispatcher::Outcome& outcome);
  void Write(Dispatcher::Outcome outcome);
  void WriteLater(Dispatcher::Outcome outcome, std::chrono::milliseconds delay);
  void OnWrite(std::error_code ec);
  void SetDeadline(std::chrono::milliseconds timeout, const char* why);
  void StartWrite(std::string_view head);

  // The HTTP side (ServerHttp.cpp).
  void ProcessHttp();
  bool AdmitHttpHead();
  std::optional<http::Refusal> Authorize(const HttpHead& head);
  bool ReserveHttpBody(const HttpHead& head);
  void WriteContinue();
  void ServeHttpRequest();
  bool RunHttpCalls(std::size_t from, bool offStrand);
  void FinishHttp();
  void RefuseHttp(const http::Refusal& refusal, const std::string& why);
  void WriteHttp(int status, std::string body, bool close, const std::string& extraHeaders = {});
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
  std::string closeWhy_;  // logged when closing after the write

  enum class Transport { Unknown, Framed, Http } transport_ = Transport::Unknown;
  std::unique_ptr<HttpRequestReader> http_;
  std::optional<http::Credentials> authorized_;  // what session_ connected with over HTTP
  http::Calls httpCalls_;                         // of the request being answered
  bool httpKeepAlive_ = true;
  bool httpRateRefused_ = false;  // the single call of the request was over the rate
  std::string httpHead_;
  bool closed_ = false;
};

// The handle's outcome, or an internal error when it throws.
template <typename Handle>
Dispatcher::Outcome Connection::Guarded(Handle&& handle) {
  try {
    return handle();
  } catch (const std::exception& e) {
    spdlog::error("rpc: {}: the request handler failed: {}", session_.peer, e.what());
    return {InternalErrorResponse("null", std::string("internal error: ") + e.what()), false};
  } catch (...) {
    spdlog::error("rpc: {}: the request handler failed with an unknown exception", session_.peer);
    return {InternalErrorResponse("null", "internal error"), false};
  }
}

}  // namespace rpc::server_detail
