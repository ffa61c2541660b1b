#pragma once
// A bare TCP connection to the server, for requests no well-behaved client
// sends: garbage, half frames, frames over the limit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace appserver_it {

class RawConnection {
 public:
  explicit RawConnection(std::uint16_t port);  // throws std::runtime_error
  ~RawConnection();
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  void Send(std::string_view bytes);
  void SendFrame(std::string_view payload);
  // The next frame's payload; nullopt when the server closed the connection.
  // Throws std::runtime_error when nothing comes for 20 s.
  std::optional<std::string> ReadFrame();

 private:
  bool ReadExactly(char* out, std::size_t n);
  int fd_ = -1;
};

}  // namespace appserver_it
