// What a client without the token can reach: its byte stream cut into
// frames under the handshake's limit, each handled by the dispatcher on a
// session not yet connected, as the server does until the first error.
//
// Input: the byte stream.
// Checks: before a good Connect every answer is a well-formed error and the
// refusal kept for the log has no control character; text made safe for a
// log has none either; after a good Connect (token "tok") answers stay
// well formed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "echo_dispatcher.h"
#include "fuzz_check.h"
#include "rpc/Dispatcher.h"
#include "rpc/Frame.h"
#include "rpc/LogText.h"

namespace {

bool SafeForLog(std::string_view s) {
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7f) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view stream(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(SafeForLog(rpc::LogText(stream, 200)));
  rpc::FrameDecoder decoder(rpc::kHandshakeFrameLimit);
  decoder.Feed(stream);
  rpc::Session session;
  for (;;) {
    std::optional<std::string> frame;
    try {
      frame = decoder.Next();
    } catch (const rpc::FrameError&) {
      return 0;  // the connection is closed
    }
    if (!frame) return 0;
    const bool wasConnected = session.connected;
    const rpc::Dispatcher::Outcome outcome = EchoDispatcher().HandleNow(*frame, session);
    rpc::Response answer;
    try {
      answer = rpc::DecodeResponse(outcome.response);
    } catch (const rpc::RpcError&) {
      FUZZ_CHECK(!"an answer that is not a JSON-RPC response");
    }
    if (!wasConnected && !session.connected) {
      FUZZ_CHECK(!answer.ok);
      FUZZ_CHECK(SafeForLog(session.refusal));
      return 0;  // a stranger's first error closes the connection
    }
    if (!wasConnected) {
      FUZZ_CHECK(answer.ok);
      FUZZ_CHECK(SafeForLog(session.userInLog));
      decoder.SetLimit(rpc::kMaxFrameSize);
    }
  }
}
