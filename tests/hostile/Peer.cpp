#include "Peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "rpc/Message.h"

namespace hostile {

Peer::Peer(const std::string& from, std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw std::runtime_error("socket: " + std::to_string(errno));
  sockaddr_in local{};
  local.sin_family = AF_INET;
  ::inet_pton(AF_INET, from.c_str(), &local.sin_addr);
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(port);
  remote.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      ::connect(fd_, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    const int e = errno;
    ::close(fd_);
    throw std::runtime_error("connect from " + from + ": errno " + std::to_string(e));
  }
  const int one = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

Peer::~Peer() { ::close(fd_); }

bool Peer::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::optional<std::string> Peer::ReadFrame(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    try {
      if (auto f = decoder_.Next()) return f;
    } catch (const rpc::FrameError&) {
      return std::nullopt;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char buf[16384];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return std::nullopt;
    decoder_.Feed(std::string_view(buf, static_cast<std::size_t>(n)));
  }
}

std::optional<std::string> Peer::ReadUntilClosed(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::string got;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
    char buf[16384];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return got;
    got.append(buf, static_cast<std::size_t>(n));
  }
}

bool Peer::Closed(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fd_, POLLIN, 0};
    const int r = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
    if (r <= 0) return false;
    char buf[16384];
    const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
    if (n <= 0) return true;  // end of stream or reset
  }
}

std::string LoopbackAddress(int block, int n) {
  return "127." + std::to_string(block) + "." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
}

std::string ConnectRequest(const std::string& token, const std::string& user) {
  return rpc::EncodeRequest("1", "Connect",
                            std::vector<std::pair<std::string, rpc::Param>>{
                                {"server", rpc::Param::String("Ate11600.rdmPropPass")},
                                {"user", rpc::Param::String(user)},
                                {"token", rpc::Param::String(token)}});
}

}  // namespace hostile
