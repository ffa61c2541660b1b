#pragma once
// Length-prefixed frames: a 4-byte big-endian length, then that many bytes
// of UTF-8 JSON. Frames longer than the limit are refused on both sides.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rpc {

inline constexpr std::size_t kMaxFrameSize = std::size_t{16} << 20;  // 16 MiB
inline constexpr std::size_t kFrameHeaderSize = 4;
// The limit before a connection has shaken hands: room for a Connect.
inline constexpr std::size_t kHandshakeFrameLimit = 8 * 1024;

// A frame over the limit, or a stream that ended inside a frame.
class FrameError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Appends the header and the payload to out. Throws FrameError when the
// payload is longer than limit.
void AppendFrame(std::string& out, std::string_view payload, std::size_t limit = kMaxFrameSize);
std::string EncodeFrame(std::string_view payload, std::size_t limit = kMaxFrameSize);

// The length announced by a 4-byte header.
std::uint32_t ReadFrameLength(const unsigned char* header);

// Cuts a byte stream into frames as it arrives, in whatever pieces.
class FrameDecoder {
 public:
  explicit FrameDecoder(std::size_t limit = kMaxFrameSize) : limit_(limit) {}

  // The limit for frames not yet begun (a connection allows more once it
  // has shaken hands).
  void SetLimit(std::size_t limit) { limit_ = limit; }

  void Feed(std::string_view bytes);
  // The next whole payload, or nullopt while more bytes are needed. Throws
  // FrameError as soon as a header announces more than the limit.
  std::optional<std::string> Next();
  // Bytes received and not yet returned; non-zero at the end of the stream
  // means the peer stopped inside a frame.
  std::size_t Buffered() const { return buffer_.size() - start_; }
  // The length announced by the frame under way once its header is in,
  // 0 otherwise. Throws FrameError when it is over the limit.
  std::size_t Announced() const;
  // Makes room for the whole frame under way at once, rather than growing
  // by doubling as it arrives.
  void ReserveAnnounced();
  // Bytes the decoder holds allocated.
  std::size_t Capacity() const { return buffer_.capacity(); }

  // Buffers larger than this are given back once they are empty, so that
  // one large frame does not pin its size for the connection's life.
  static constexpr std::size_t kKeptCapacity = 64 * 1024;

 private:
  std::size_t limit_;
  std::string buffer_;
  std::size_t start_ = 0;
};

}  // namespace rpc
