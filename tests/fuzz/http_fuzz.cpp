// The HTTP request path as a connection runs it: the byte stream read in
// two pieces, each request's head routed and its credentials read, its
// body split into calls, each call handled by the dispatcher, the answers
// joined.
//
// Input: the first byte picks where the stream is cut; the rest is the
// stream.
// Checks: refusals carry a status the server knows and a well-formed
// JSON-RPC error; every call's answer is a well-formed response; a batch's
// answer is an array with one answer per element; bodies never pass the
// limit set.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "echo_dispatcher.h"
#include "fuzz_check.h"
#include "packet/JsonReader.h"
#include "rpc/Dispatcher.h"
#include "rpc/HttpRpc.h"

namespace {

constexpr std::size_t kBodyLimit = 4096;


bool KnownStatus(int s) {
  return s == 400 || s == 401 || s == 404 || s == 405 || s == 413 || s == 414 || s == 415 || s == 431 ||
         s == 501 || s == 505;
}

void CheckRefusal(const rpc::http::Refusal& refusal) {
  FUZZ_CHECK(KnownStatus(refusal.status));
  FUZZ_CHECK(!rpc::DecodeResponse(rpc::http::RefusalBody(refusal)).ok);
}

// Runs one whole request's calls as the connection would.
void Serve(std::string body, rpc::Session& session) {
  FUZZ_CHECK(body.size() <= kBodyLimit);
  rpc::http::Calls calls = rpc::http::SplitBody(body);
  for (std::size_t i = 0; i < calls.calls.size(); ++i) {
    if (!calls.answers[i].empty()) continue;
    calls.answers[i] = EchoDispatcher().HandleNow(calls.calls[i], session).response;
    (void)rpc::DecodeResponse(calls.answers[i]);  // throws, and so crashes, when malformed
  }
  const std::string joined = rpc::http::JoinAnswers(calls);
  if (calls.answer || !calls.batch) {
    (void)rpc::DecodeResponse(joined);
    return;
  }
  packet::JsonReader r(joined);
  r.BeginArray();
  std::size_t n = 0;
  while (r.NextElement()) {
    (void)rpc::DecodeResponse(r.SkipValue());
    ++n;
  }
  FUZZ_CHECK(n == calls.calls.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view stream(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = stream.empty() ? 0 : data[0] % (stream.size() + 1);
  rpc::HttpRequestReader reader;
  rpc::Session session;
  try {
    for (const std::string_view piece : {stream.substr(0, cut), stream.substr(cut)}) {
      reader.Feed(piece);
      for (;;) {
        const rpc::HttpRequestReader::Step step = reader.Next();
        if (step == rpc::HttpRequestReader::Step::More) break;
        if (step == rpc::HttpRequestReader::Step::Whole) {
          Serve(reader.TakeBody(), session);
          continue;
        }
        const rpc::HttpHead& head = reader.Head();
        if (const auto refusal = rpc::http::CheckRoute(head)) return CheckRefusal(*refusal), 0;
        const rpc::http::CredentialsOrRefusal who = rpc::http::ReadCredentials(head);
        if (who.refusal) return CheckRefusal(*who.refusal), 0;
        FUZZ_CHECK(who.credentials && !who.credentials->user.empty());
        try {
          const std::string connect = rpc::http::ConnectRequest("Ate11600.rdmPropPass", *who.credentials);
          rpc::Session fresh;
          (void)EchoDispatcher().HandleNow(connect, fresh);
          if (!fresh.connected) return 0;  // 401, the connection closes
          session = fresh;
        } catch (const std::invalid_argument&) {
          return 0;  // headers that are not UTF-8: 401
        }
        reader.SetBodyLimit(kBodyLimit);
      }
    }
  } catch (const rpc::HttpError& e) {
    FUZZ_CHECK(KnownStatus(e.Status()));
  }
  return 0;
}
