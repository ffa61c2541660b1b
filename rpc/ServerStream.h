#pragma once
// The byte stream of one server connection: plain TCP, or TLS over it. The
// choice is made when the connection is accepted and holds for its life.

#include <asio.hpp>
#include <asio/ssl.hpp>
#include <optional>
#include <utility>

namespace rpc {

class ServerStream {
 public:
  using Socket = asio::ip::tcp::socket;

  explicit ServerStream(Socket socket) : plain_(std::move(socket)) {}
  ServerStream(Socket socket, asio::ssl::context& tls) : tls_(std::in_place, std::move(socket), tls) {}

  bool Tls() const { return tls_.has_value(); }
  Socket& Lowest() { return tls_ ? tls_->next_layer() : *plain_; }
  Socket::executor_type Executor() { return Lowest().get_executor(); }

  // The server side of the TLS handshake; only for a TLS stream.
  template <class Handler>
  void AsyncHandshake(Handler&& handler) {
    tls_->async_handshake(asio::ssl::stream_base::server, std::forward<Handler>(handler));
  }

  template <class Buffer, class Handler>
  void AsyncReadSome(const Buffer& buffer, Handler&& handler) {
    if (tls_)
      tls_->async_read_some(buffer, std::forward<Handler>(handler));
    else
      plain_->async_read_some(buffer, std::forward<Handler>(handler));
  }

  template <class Buffers, class Handler>
  void AsyncWrite(const Buffers& buffers, Handler&& handler) {
    if (tls_)
      asio::async_write(*tls_, buffers, std::forward<Handler>(handler));
    else
      asio::async_write(*plain_, buffers, std::forward<Handler>(handler));
  }

  // Closes the socket at once; a TLS peer sees the connection end without
  // a close_notify, which is what a time-out or a stop means anyway.
  void Close() {
    std::error_code ec;
    Lowest().shutdown(Socket::shutdown_both, ec);
    Lowest().close(ec);
  }

 private:
  std::optional<Socket> plain_;
  std::optional<asio::ssl::stream<Socket>> tls_;
};

}  // namespace rpc
