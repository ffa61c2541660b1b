#include "rpc/Frame.h"

#include <limits>

namespace rpc {

namespace {

[[noreturn, gnu::cold]] void FailTooLong(std::size_t size, std::size_t limit) {
  throw FrameError("frame of " + std::to_string(size) + " bytes exceeds the limit of " + std::to_string(limit) +
                   " bytes");
}

}  // namespace

void AppendFrame(std::string& out, std::string_view payload, std::size_t limit) {
  // The header holds 32 bits, whatever the limit says.
  if (payload.size() > limit || payload.size() > std::numeric_limits<std::uint32_t>::max())
    FailTooLong(payload.size(), limit);
  const auto n = static_cast<std::uint32_t>(payload.size());
  const char header[kFrameHeaderSize] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                                         static_cast<char>(n >> 8), static_cast<char>(n)};
  out.reserve(out.size() + kFrameHeaderSize + payload.size());
  out.append(header, kFrameHeaderSize);
  out.append(payload);
}

std::string EncodeFrame(std::string_view payload, std::size_t limit) {
  std::string out;
  AppendFrame(out, payload, limit);
  return out;
}

std::uint32_t ReadFrameLength(const unsigned char* header) {
  return std::uint32_t{header[0]} << 24 | std::uint32_t{header[1]} << 16 | std::uint32_t{header[2]} << 8 |
         std::uint32_t{header[3]};
}

void FrameDecoder::Feed(std::string_view bytes) {
  if (bytes.empty()) return;
  // Drop the frames already returned before the buffer grows, so that a
  // long-lived connection does not keep every byte it ever received.
  if (start_ > 0 && (start_ == buffer_.size() || start_ >= buffer_.size() / 2)) {
    buffer_.erase(0, start_);
    start_ = 0;
    if (buffer_.capacity() > kKeptCapacity && buffer_.size() + bytes.size() <= kKeptCapacity) buffer_.shrink_to_fit();
  }
  buffer_.append(bytes);
}

std::size_t FrameDecoder::Announced() const {
  if (Buffered() < kFrameHeaderSize) return 0;
  const std::uint32_t n = ReadFrameLength(reinterpret_cast<const unsigned char*>(buffer_.data() + start_));
  if (n > limit_) FailTooLong(n, limit_);
  return n;
}

void FrameDecoder::ReserveAnnounced() {
  const std::size_t n = Announced();
  if (n > 0) buffer_.reserve(start_ + kFrameHeaderSize + n);
}

std::optional<std::string> FrameDecoder::Next() {
  const std::size_t n = Announced();
  if (Buffered() < kFrameHeaderSize || Buffered() - kFrameHeaderSize < n) return std::nullopt;
  std::optional<std::string> payload(std::in_place, buffer_, start_ + kFrameHeaderSize, n);
  start_ += kFrameHeaderSize + n;
  if (start_ == buffer_.size()) {
    if (buffer_.capacity() > kKeptCapacity)
      std::string().swap(buffer_);
    else
      buffer_.clear();
    start_ = 0;
  }
  return payload;
}

}  // namespace rpc
