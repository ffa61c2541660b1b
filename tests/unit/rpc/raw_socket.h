#pragma once
// A bare TCP socket for the tests that must misbehave: half frames, frames
// over the limit, garbage, silence.

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "rpc/Frame.h"

namespace rpc_test {

class RawSocket {
 public:
  // from: the loopback address to connect from (any of 127.0.0.0/8), so
  // that a test can play several peers.
  explicit RawSocket(std::uint16_t port, const char* from = nullptr) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) throw std::runtime_error("socket failed");
    if (from) {
      sockaddr_in local{};
      local.sin_family = AF_INET;
      ::inet_pton(AF_INET, from, &local.sin_addr);
      if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd_);
        throw std::runtime_error("bind failed");
      }
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd_);
      throw std::runtime_error("connect failed");
    }
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  ~RawSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  RawSocket(const RawSocket&) = delete;
  RawSocket& operator=(const RawSocket&) = delete;

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0) {
        if (errno == EINTR) continue;
        throw std::runtime_error("send failed");
      }
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  void SendFrame(std::string_view payload) { Send(rpc::EncodeFrame(payload)); }

  // The next frame's payload; nullopt when the peer closed the connection
  // or nothing came in time.
  std::optional<std::string> ReadFrame(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      if (auto f = decoder_.Next()) return f;
      char buf[4096];
      const int n = Receive(buf, sizeof buf, deadline);
      if (n <= 0) return std::nullopt;
      decoder_.Feed(std::string_view(buf, static_cast<std::size_t>(n)));
    }
  }

  // Whether the peer closes the connection (EOF or reset) before the time
  // is up; bytes that arrive meanwhile are dropped.
  bool WaitClosed(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      char buf[4096];
      const int n = Receive(buf, sizeof buf, deadline);
      if (n == 0 || n == -2) return true;
      if (n == -1) return false;
    }
  }

  // Reads and drops bytes until at least n came; false on time-out or close.
  bool Discard(std::size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t got = 0;
    while (got < n) {
      char buf[4096];
      const int k = Receive(buf, sizeof buf, deadline);
      if (k <= 0) return false;
      got += static_cast<std::size_t>(k);
    }
    return true;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  // > 0 bytes, 0 end of stream, -1 time-out, -2 error (reset).
  int Receive(char* buf, std::size_t size, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                              std::chrono::steady_clock::now());
      if (left.count() <= 0) return -1;
      pollfd p{fd_, POLLIN, 0};
      const int r = ::poll(&p, 1, static_cast<int>(left.count()));
      if (r < 0 && errno == EINTR) continue;
      if (r == 0) return -1;
      if (r < 0) return -2;
      const ssize_t n = ::recv(fd_, buf, size, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return -2;
      return static_cast<int>(n);
    }
  }

  int fd_ = -1;
  rpc::FrameDecoder decoder_;
};

}  // namespace rpc_test
