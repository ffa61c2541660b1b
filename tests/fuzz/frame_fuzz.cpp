// rpc::FrameDecoder fed a byte stream in pieces.
//
// Input: byte 0 picks the limit (0: the real one, else 4 bytes per unit, so
// that refusals are reached); byte 1 the number of cuts (mod 8), then one
// byte per cut giving the length of each piece; the rest is the stream.
// Checks: payloads within the limit, each payload re-encoded gives exactly
// the bytes it came from, Buffered() equals what was fed and not returned, a
// refusal only for a header announcing more than the limit, and no whole
// frame left behind.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "rpc/Frame.h"

namespace {

struct Input {
  std::size_t limit = rpc::kMaxFrameSize;
  std::vector<std::size_t> pieces;  // lengths of the first pieces; the rest goes last
  std::string_view stream;
};

Input Split(const std::uint8_t* data, std::size_t size) {
  Input in;
  std::size_t at = 0;
  if (at < size && data[at] != 0) in.limit = std::size_t{data[at]} * 4;
  if (at < size) ++at;
  const std::size_t cuts = at < size ? data[at++] % 8 : 0;
  for (std::size_t i = 0; i < cuts && at < size; ++i) in.pieces.push_back(data[at++]);
  in.stream = std::string_view(reinterpret_cast<const char*>(data) + at, size - at);
  return in;
}

// Takes every whole frame out of the decoder; false once it refused one.
bool Drain(rpc::FrameDecoder& decoder, const Input& in, std::size_t fed, std::size_t& consumed) {
  for (;;) {
    FUZZ_CHECK(decoder.Buffered() == fed - consumed);
    std::optional<std::string> payload;
    try {
      payload = decoder.Next();
    } catch (const rpc::FrameError&) {
      const auto* header = reinterpret_cast<const unsigned char*>(in.stream.data() + consumed);
      FUZZ_CHECK(fed - consumed >= rpc::kFrameHeaderSize);
      FUZZ_CHECK(rpc::ReadFrameLength(header) > in.limit);
      return false;
    }
    if (!payload) break;
    FUZZ_CHECK(payload->size() <= in.limit);
    const std::string frame = rpc::EncodeFrame(*payload, in.limit);
    FUZZ_CHECK(in.stream.substr(consumed, frame.size()) == frame);
    consumed += frame.size();
  }
  // Nothing returned while a whole frame is there.
  const std::size_t left = fed - consumed;
  if (left >= rpc::kFrameHeaderSize) {
    const auto* header = reinterpret_cast<const unsigned char*>(in.stream.data() + consumed);
    FUZZ_CHECK(left - rpc::kFrameHeaderSize < rpc::ReadFrameLength(header));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Input in = Split(data, size);
  rpc::FrameDecoder decoder(in.limit);
  std::size_t fed = 0, consumed = 0;
  std::vector<std::size_t> pieces = in.pieces;
  pieces.push_back(in.stream.size());
  for (const std::size_t want : pieces) {
    const std::size_t n = std::min(want, in.stream.size() - fed);
    decoder.Feed(in.stream.substr(fed, n));
    fed += n;
    if (!Drain(decoder, in, fed, consumed)) return 0;
  }
  FUZZ_CHECK(fed == in.stream.size());
  return 0;
}
