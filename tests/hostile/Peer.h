#pragma once
// A raw loopback connection for the hostile client: it connects from any
// address of 127.0.0.0/8 (so that one program plays many peers), sends
// whatever it is told and reads frames with a time-out.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rpc/Frame.h"

namespace hostile {

class Peer {
 public:
  // Throws std::runtime_error when the connection cannot be made.
  Peer(const std::string& from, std::uint16_t port);
  ~Peer();
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  // False once the server has closed the connection (or reset it).
  bool Send(std::string_view bytes);
  bool SendFrame(std::string_view payload) { return Send(rpc::EncodeFrame(payload)); }
  // The next frame, or nullopt on close or time-out.
  std::optional<std::string> ReadFrame(std::chrono::milliseconds timeout);
  // Every byte that arrives until the server closes the connection, or
  // nullopt when it is still open at the time-out.
  std::optional<std::string> ReadUntilClosed(std::chrono::milliseconds timeout);
  // Whether the server closed the connection, waiting up to timeout.
  bool Closed(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

 private:
  int fd_ = -1;
  rpc::FrameDecoder decoder_;
};

// "127.0.X.Y" for the n-th address of a block starting at 127.block.0.1.
std::string LoopbackAddress(int block, int n);

// A Connect request with the given token.
std::string ConnectRequest(const std::string& token, const std::string& user = "hostil");

}  // namespace hostile
