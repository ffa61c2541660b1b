#include "raw_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "rpc/Frame.h"

namespace appserver_it {

RawConnection::RawConnection(std::uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    throw std::runtime_error("cannot connect to port " + std::to_string(port));
  }
}

RawConnection::~RawConnection() {
  if (fd_ >= 0) ::close(fd_);
}

void RawConnection::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) throw std::runtime_error("send failed");
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

void RawConnection::SendFrame(std::string_view payload) { Send(rpc::EncodeFrame(payload)); }

bool RawConnection::ReadExactly(char* out, std::size_t n) {
  while (n > 0) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 20000) <= 0) throw std::runtime_error("no answer from the server");
    const ssize_t got = ::recv(fd_, out, n, 0);
    if (got <= 0) return false;
    out += got;
    n -= static_cast<std::size_t>(got);
  }
  return true;
}

std::optional<std::string> RawConnection::ReadFrame() {
  unsigned char header[rpc::kFrameHeaderSize];
  if (!ReadExactly(reinterpret_cast<char*>(header), sizeof header)) return std::nullopt;
  std::string payload(rpc::ReadFrameLength(header), '\0');
  if (!ReadExactly(payload.data(), payload.size())) return std::nullopt;
  return payload;
}

}  // namespace appserver_it
