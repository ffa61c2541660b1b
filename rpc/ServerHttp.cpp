// The HTTP side of a server connection: JSON-RPC requests as POST /rpc,
// each authenticated by its own headers, answered one at a time in order.

#include <fmt/format.h>

#include "rpc/LogText.h"
#include "rpc/SameSecret.h"
#include "rpc/ServerConnection.h"

namespace rpc::server_detail {

namespace {

// A token checked against the one a connection last proved must not leak
// that one by its timing.
bool SameCredentials(const http::Credentials& a, const http::Credentials& b) {
  const bool sameToken = a.token.has_value() == b.token.has_value() && SameSecret(a.token.value_or(""), b.token.value_or(""));
  return a.user == b.user && sameToken;
}

// The message of a JSON-RPC error answer, for a refused Connect.
std::string ErrorMessage(const std::string& response) {
  try {
    return DecodeResponse(response).message;
  } catch (const RpcError&) {
    return "refused";
  }
}

}  // namespace

void Connection::ProcessHttp() {
  try {
    for (;;) {
      switch (http_->Next()) {
        case HttpRequestReader::Step::More:
          if (http_->Begun() && !frameStarted_) {
            // A request has begun: its head and body must not trickle in forever.
            frameStarted_ = true;
            TightenDeadline(core_.options.frameTimeout, "no whole request within ");
          }
          return Read();
        case HttpRequestReader::Step::Head:
          if (!AdmitHttpHead()) return;
          if (const std::string* expect = http_->Head().Find("expect"); expect && SameWord(*expect, "100-continue"))
            return WriteContinue();
          break;
        case HttpRequestReader::Step::Whole:
          frameStarted_ = false;
          return ServeHttpRequest();
      }
    }
  } catch (const HttpError& e) {
    RefuseHttp(http::Refusal{e.Status(), kInvalidRequest, e.what()}, e.what());
  }
}

// Route, then who asks, then room for the body. False when the request
// was refused (the connection then closes after the answer).
bool Connection::AdmitHttpHead() {
  const HttpHead& head = http_->Head();
  if (std::optional<http::Refusal> refusal = http::CheckRoute(head)) {
    RefuseHttp(*refusal, fmt::format("{} {}: {}", head.method, LogText(head.target, 80), refusal->message));
    return false;
  }
  if (std::optional<http::Refusal> refusal = Authorize(head)) {
    RefuseHttp(*refusal, "unauthorised: " + refusal->message);
    return false;
  }
  if (!ReserveHttpBody(head)) return false;
  // The rest of the request is no handshake: it gets the time of a request.
  SetDeadline(core_.options.frameTimeout, "no whole request within ");
  if (deadline_ < armedAt_) WaitIdle();
  return true;
}

// Connects session_ as the headers say, unless it already is with the
// same credentials; the refusal to answer otherwise.
std::optional<http::Refusal> Connection::Authorize(const HttpHead& head) {
  http::CredentialsOrRefusal read = http::ReadCredentials(head);
  if (read.refusal) return read.refusal;
  const http::Credentials& given = *read.credentials;
  if (session_.connected && authorized_ && SameCredentials(*authorized_, given)) return std::nullopt;
  std::string connect;
  try {
    connect = http::ConnectRequest(core_.options.httpServerName, given);
  } catch (const std::invalid_argument&) {
    return http::Refusal{401, kUnauthorized, "the headers X-Ate-User and Authorization must be UTF-8"};
  }
  Session fresh;
  fresh.peer = session_.peer;
  const Dispatcher::Outcome outcome = Guarded([&] { return core_.handle(connect, fresh); });
  if (!fresh.connected) {
    std::string why = ErrorMessage(outcome.response);
    if (why.starts_with("Connect: ")) why.erase(0, 9);
    return http::Refusal{401, kUnauthorized, "not authorised: " + why};
  }
  const bool wasConnected = session_.connected;
  session_ = std::move(fresh);
  authorized_ = given;
  if (!wasConnected) core_.peers.Accepted(address_);
  return std::nullopt;
}

// The body's limit, and its share of the server's memory when large; false
// (and refused) when that share is not free.
bool Connection::ReserveHttpBody(const HttpHead& head) {
  const std::size_t limit = core_.options.maxFrame;
  if (head.contentLength && *head.contentLength > limit)
    throw HttpError(413, "the request body of " + std::to_string(*head.contentLength) + " bytes is larger than " +
                             std::to_string(limit) + " bytes");
  http_->SetBodyLimit(limit);
  std::size_t want = 0;
  if (head.contentLength) {
    if (*head.contentLength > kFreeFrameSize && *head.contentLength <= limit)
      want = static_cast<std::size_t>(*head.contentLength);
  } else if (head.chunked) {
    // The size of a chunked body is known only at its end: it may grow to
    // the limit when the memory for that is free, else to what any
    // connection holds anyway.
    if (reserved_ == 0 && core_.ReserveFrame(limit)) reserved_ = limit;
    if (reserved_ == 0) http_->SetBodyLimit(kFreeFrameSize);
    return true;
  }
  if (want == 0 || reserved_ > 0) return true;
  if (!core_.ReserveFrame(want)) {
    core_.LogRefusal(address_, "{}: HTTP request of {} bytes refused: no memory free for it (--max-memory {} bytes)",
                     session_.peer, want, core_.options.maxMemory);
    RefuseHttp(http::Refusal{503, kInternalError, "the server has no memory free for a request this large now"},
               "out of request memory");
    return false;
  }
  reserved_ = want;
  return true;
}

// A client that asked may now send the body it held back (curl does for
// large ones); the head's checks have passed.
void Connection::WriteContinue() {
  static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
  asio::const_buffer buffer(kContinue.data(), kContinue.size());
  stream_.AsyncWrite(std::array{buffer}, [self = shared_from_this()](std::error_code ec, std::size_t) {
    if (self->closed_) return;
    if (ec) return self->Close(ec.message());
    self->ProcessHttp();
  });
}

void Connection::ServeHttpRequest() {
  httpKeepAlive_ = http_->Head().keepAlive;
  httpCalls_ = http::SplitBody(http_->TakeBody());
  httpRateRefused_ = false;
  if (httpCalls_.answer) return FinishHttp();
  if (RunHttpCalls(0, false)) FinishHttp();
}

// Answers the calls from `from` on, in order. A call of the slow lane moves
// the rest there (false: FinishHttp comes from there); offStrand: already
// there, every call is answered here.
bool Connection::RunHttpCalls(std::size_t from, bool offStrand) {
  std::vector<std::string>& calls = httpCalls_.calls;
  std::vector<std::string>& answers = httpCalls_.answers;
  for (std::size_t i = from; i < calls.size(); ++i) {
    if (!answers[i].empty()) continue;  // answered by the split (not an object)
    if (!rate_.Admit()) {
      answers[i] = OverRate(calls[i]);
      httpRateRefused_ = true;
      continue;
    }
    Dispatcher::Outcome outcome = Guarded([&] { return core_.handle(calls[i], session_); });
    if (!outcome.later) {
      answers[i] = std::move(outcome.response);
      continue;
    }
    if (offStrand) {
      answers[i] = Guarded([&] { return Dispatcher::Outcome{outcome.later(), false}; }).response;
      continue;
    }
    OnSlowLane([this, i, later = std::move(outcome.later)] {
      httpCalls_.answers[i] = Guarded([&] { return Dispatcher::Outcome{later(), false}; }).response;
      RunHttpCalls(i + 1, true);
    }, [this] { FinishHttp(); });
    return false;
  }
  return true;
}

void Connection::FinishHttp() {
  // A single call over the rate is told by its status too; in a batch the
  // others may have been answered.
  const bool refused = httpRateRefused_ && !httpCalls_.batch;
  std::string body = http::JoinAnswers(std::move(httpCalls_));
  httpCalls_ = http::Calls{};
  WriteHttp(refused ? 429 : 200, std::move(body), !httpKeepAlive_, refused ? http::RefusalHeaders(429) : "");
}

// Answers a refusal and closes. A stranger's answer is held back as a
// refused handshake's is, so that guessing the token stays slow.
void Connection::RefuseHttp(const http::Refusal& refusal, const std::string& why) {
  core_.LogRefusal(address_, "{}: HTTP request refused ({}): {}", session_.peer, refusal.status, LogText(why, 200));
  const std::string extra = http::RefusalHeaders(refusal.status);
  if (session_.connected && refusal.status != 401) return WriteHttp(refusal.status, http::RefusalBody(refusal), true, extra);
  holdBack_.expires_after(core_.peers.Refused(address_));
  holdBack_.async_wait([self = shared_from_this(), refusal, extra](std::error_code ec) {
    if (!ec && !self->closed_) self->WriteHttp(refusal.status, http::RefusalBody(refusal), true, extra);
  });
}

void Connection::WriteHttp(int status, std::string body, bool close, const std::string& extraHeaders) {
  ReleaseFrame();
  response_ = std::move(body);
  if (BoundResponse({})) status = 500;  // a batch has no one id
  closeAfterWrite_ = close;
  closeWhy_ = status == 200 ? "the HTTP client asked to close" : "closed after a refused HTTP request";
  httpHead_ = http::ResponseHead(status, response_.size(), !close, extraHeaders);
  StartWrite(httpHead_);
}

}  // namespace rpc::server_detail
