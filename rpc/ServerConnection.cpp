#include "rpc/ServerConnection.h"

#include <fmt/format.h>

namespace rpc::server_detail {

namespace {
constexpr std::size_t kReadChunk = 16 * 1024;
}  // namespace

Connection::Connection(Core& core, ServerStream stream, std::string peer, std::string address)
    : core_(core),
      stream_(std::move(stream)),
      address_(std::move(address)),
      idle_(executor_),
      holdBack_(executor_),
      decoder_(std::min(core.options.maxFrame, kHandshakeFrameLimit)),
      rate_(core.options.maxRequestRate),
      in_(kReadChunk) {
  session_.peer = std::move(peer);
}

Connection::~Connection() {
  ReleaseFrame();
  core_.peers.Close(address_);
}

void Connection::Start() {
  if (closed_) return;  // the server stopped before the connection started
  spdlog::debug("rpc: {} connected", session_.peer);
  // The TLS handshake, if any, and Connect must both be done by then.
  SetDeadline(core_.options.handshakeTimeout, "no handshake within ");
  WaitIdle();
  if (!stream_.Tls()) return Read();
  stream_.AsyncHandshake([self = shared_from_this()](std::error_code ec) {
    if (self->closed_) return;
    if (ec) {
      self->core_.LogRefusal(self->address_, "{} closed: TLS handshake failed: {}", self->session_.peer, ec.message());
      return self->Close("TLS handshake failed");
    }
    self->Read();
  });
}

void Connection::Close(std::string_view why, spdlog::level::level_enum level) {
  if (closed_) return;
  closed_ = true;
  stream_.Close();
  idle_.cancel();
  holdBack_.cancel();
  core_.Unregister(this);
  spdlog::log(level, "rpc: {} closed: {}", session_.peer, why);
}

void Connection::Read() {
  stream_.AsyncReadSome(asio::buffer(in_), [self = shared_from_this()](std::error_code ec, std::size_t n) {
    self->OnRead(ec, n);
  });
}

void Connection::OnRead(std::error_code ec, std::size_t n) {
  if (closed_) return;
  if (ec) {
    const bool inside = http_ ? http_->Begun() : decoder_.Buffered() > 0;
    if (ec == asio::error::eof)
      Close(inside ? "the peer closed the connection inside a request" : "closed by the peer");
    else if (ec != asio::error::operation_aborted)
      Close(ec.message());
    return;
  }
  if (transport_ == Transport::Unknown && n > 0) {
    // A frame's first byte is its length's highest, 0 or 1 within any
    // limit; an HTTP request starts with its method's first letter.
    const char c = in_[0];
    const bool http = !core_.options.httpServerName.empty() && c >= 'A' && c <= 'Z';
    transport_ = http ? Transport::Http : Transport::Framed;
    if (http) http_ = std::make_unique<HttpRequestReader>();
  }
  if (http_) {
    http_->Feed(std::string_view(in_.data(), n));
    return ProcessHttp();
  }
  decoder_.Feed(std::string_view(in_.data(), n));
  Process();
}

bool Connection::ReserveFrame() {
  const std::size_t n = decoder_.Announced();
  if (n <= kFreeFrameSize || reserved_ > 0) return true;
  if (!core_.ReserveFrame(n)) {
    core_.LogRefusal(address_, "{} closed: no memory free for a request of {} bytes (--max-memory {} bytes)",
                     session_.peer, n, core_.options.maxMemory);
    Close("out of request memory");
    return false;
  }
  reserved_ = n;
  decoder_.ReserveAnnounced();
  return true;
}

void Connection::ReleaseFrame() {
  if (reserved_ == 0) return;
  core_.ReleaseFrame(reserved_);
  reserved_ = 0;
}

// Answers the next whole request already received, or reads on.
void Connection::Process() {
  if (http_) return ProcessHttp();
  std::optional<std::string> request;
  try {
    request = decoder_.Next();
    if (!request && !ReserveFrame()) return;
  } catch (const FrameError& e) {
    core_.LogRefusal(address_, "{} closed: {}", session_.peer, e.what());
    Close(e.what());
    return;
  }
  if (!request) {
    if (decoder_.Buffered() > 0 && !frameStarted_) {
      // A request has begun: the rest of it must not trickle in forever.
      frameStarted_ = true;
      TightenDeadline(core_.options.frameTimeout, "no whole request within ");
    }
    Read();
    return;
  }
  frameStarted_ = false;
  request_ = std::move(*request);
  if (!rate_.Admit()) {
    Dispatcher::Outcome refused{OverRate(request_), false};
    if (!session_.connected) return AfterStrangersRequest(refused);
    return Write(std::move(refused));
  }
  const bool wasConnected = session_.connected;
  Dispatcher::Outcome outcome = Guarded([&] { return core_.handle(request_, session_); });
  if (!wasConnected) return AfterStrangersRequest(outcome);
  if (outcome.later) return RunOnSlowLane(std::move(outcome.later));
  Write(std::move(outcome));
}

// Logs a request over the rate and gives its error answer: the limit as a
// person writes it ("1000", "2.5"), by the request's id so that the caller
// knows which call was refused.
std::string Connection::OverRate(std::string_view request) {
  core_.LogRefusal(address_, "{}: request refused: over {} requests per second", session_.peer,
                   core_.options.maxRequestRate);
  return EncodeError(Dispatcher::IdOf(request),
                     RpcError(kTooManyRequests, fmt::format("too many requests: the limit is {} per second",
                                                            core_.options.maxRequestRate)));
}

void Connection::AfterStrangersRequest(Dispatcher::Outcome& outcome) {
  if (session_.connected) {
    core_.peers.Accepted(address_);
    decoder_.SetLimit(core_.options.maxFrame);
    return Write(std::move(outcome));
  }
  // Anything but a good Connect ends a stranger's connection, later each
  // time its address is refused, so that guessing the token is slow.
  outcome.close = true;
  core_.LogRefusal(address_, "{} closed: refused before the handshake: {}", session_.peer,
                   session_.refusal.empty() ? std::string("not a valid Connect") : session_.refusal);
  WriteLater(std::move(outcome), core_.peers.Refused(address_));
}

// work runs on the slow lane, then back on the strand, unless the
// connection closed meanwhile; the connection reads nothing in between. The
// work guard keeps the I/O threads running until back is posted, also while
// the server stops.
void Connection::OnSlowLane(std::function<void()> work, std::function<void()> back) {
  asio::post(*core_.slowLane, [self = shared_from_this(), work = std::move(work), back = std::move(back),
                               busy = asio::make_work_guard(core_.io)]() mutable {
    work();
    asio::post(self->executor_, [self, back = std::move(back)] {
      if (!self->closed_) back();
    });
    busy.reset();
  });
}

void Connection::RunOnSlowLane(std::function<std::string()> later) {
  auto outcome = std::make_shared<Dispatcher::Outcome>();
  OnSlowLane([this, later = std::move(later), outcome] {
    *outcome = Guarded([&] { return Dispatcher::Outcome{later(), false}; });
  }, [this, outcome] { Write(std::move(*outcome)); });
}

void Connection::WriteLater(Dispatcher::Outcome outcome, std::chrono::milliseconds delay) {
  holdBack_.expires_after(delay);
  holdBack_.async_wait([self = shared_from_this(), outcome = std::move(outcome)](std::error_code ec) mutable {
    if (!ec && !self->closed_) self->Write(std::move(outcome));
  });
}

void Connection::Write(Dispatcher::Outcome outcome) {
  ReleaseFrame();
  response_ = std::move(outcome.response);
  closeAfterWrite_ = outcome.close;
  closeWhy_ = "closed after a refused request";
  BoundResponse(request_);
  if (request_.capacity() > FrameDecoder::kKeptCapacity) std::string().swap(request_);
  const auto n = static_cast<std::uint32_t>(response_.size());
  header_ = {static_cast<unsigned char>(n >> 24), static_cast<unsigned char>(n >> 16),
             static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(n)};
  StartWrite(std::string_view(reinterpret_cast<const char*>(header_.data()), header_.size()));
}

// Replaces a response_ over the frame limit by an internal error answered
// by the id of request (null for none); true when it did.
bool Connection::BoundResponse(std::string_view request) {
  if (response_.size() <= core_.options.maxFrame) return false;
  spdlog::error("rpc: {}: answer of {} bytes exceeds the frame limit of {} bytes", session_.peer, response_.size(),
                core_.options.maxFrame);
  response_ = InternalErrorResponse(Dispatcher::IdOf(request), "the answer of " + std::to_string(response_.size()) +
                                                " bytes exceeds the frame limit of " +
                                                std::to_string(core_.options.maxFrame) + " bytes");
  return true;
}

// Sends head and response_, then reads on (OnWrite). head must live until
// then.
void Connection::StartWrite(std::string_view head) {
  // The idle clock restarts once the answer is ready: the time spent in
  // the handler does not count, a peer that does not read its answer does.
  // A stranger keeps the handshake's deadline.
  if (session_.connected) SetDeadline(core_.options.idleTimeout, "idle for ");
  const std::array<asio::const_buffer, 2> buffers = {asio::buffer(head), asio::buffer(response_)};
  stream_.AsyncWrite(buffers, [self = shared_from_this()](std::error_code ec, std::size_t) { self->OnWrite(ec); });
}

void Connection::OnWrite(std::error_code ec) {
  if (closed_) return;
  if (response_.capacity() > FrameDecoder::kKeptCapacity) std::string().swap(response_);
  if (ec) {
    Close(ec.message());
    return;
  }
  if (closeAfterWrite_) {
    Close(closeWhy_);
    return;
  }
  Process();
}

// The connection closes at `timeout` from now, saying why + timeout.
void Connection::SetDeadline(std::chrono::milliseconds timeout, const char* why) {
  deadline_ = After(timeout);
  deadlineWhy_ = why + Millis(timeout);
}

// The same, when it comes sooner than the deadline set; the timer is moved
// only then.
void Connection::TightenDeadline(std::chrono::milliseconds timeout, const char* why) {
  const Clock::time_point at = After(timeout);
  if (at >= deadline_) return;
  SetDeadline(timeout, why);
  if (at < armedAt_) WaitIdle();
}

// One timer wait at a time, moved on lazily: a request only moves the
// deadline later, so that the hot path does not touch the timer.
void Connection::WaitIdle() {
  armedAt_ = deadline_;
  idle_.expires_at(deadline_);  // cancels a wait under way, whose handler then does nothing
  idle_.async_wait([self = shared_from_this()](std::error_code ec) {
    if (ec || self->closed_) return;
    if (Clock::now() < self->deadline_) return self->WaitIdle();
    if (!self->session_.connected)
      self->core_.LogRefusal(self->address_, "{} closed: {}", self->session_.peer, self->deadlineWhy_);
    self->Close(self->deadlineWhy_, self->session_.connected ? spdlog::level::info : spdlog::level::debug);
  });
}

}  // namespace rpc::server_detail
