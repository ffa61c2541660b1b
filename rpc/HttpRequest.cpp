#include "rpc/HttpRequest.h"

#include <http_parser.h>

#include <algorithm>
#include <cctype>

namespace rpc {

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

const std::string* HttpHead::Find(std::string_view name) const {
  for (const auto& [n, v] : headers)
    if (n == name) return &v;
  return nullptr;
}

// The C parser and its callbacks, which reach the reader through data.
struct HttpRequestReader::Parser {
  http_parser parser{};
  http_parser_settings settings{};

  static HttpRequestReader& Of(http_parser* p) { return *static_cast<HttpRequestReader*>(p->data); }

  // Stops the parser with the status to answer.
  static int Fail(http_parser* p, int status, const std::string& what) {
    Of(p).failure_.emplace(status, what);
    return 1;
  }

  static int OnBegin(http_parser* p) {
    HttpRequestReader& r = Of(p);
    r.head_ = HttpHead{};
    r.body_.clear();
    r.field_.clear();
    r.inValue_ = false;
    r.headBytes_ = 0;
    r.bodyLimit_ = 0;
    r.state_ = State::InHead;
    return 0;
  }

  static int OnUrl(http_parser* p, const char* at, std::size_t n) {
    HttpRequestReader& r = Of(p);
    if (r.head_.target.size() + n > r.limits_.target)
      return Fail(p, 414, "the request target is longer than " + std::to_string(r.limits_.target) + " bytes");
    r.head_.target.append(at, n);
    return 0;
  }

  static int CountHead(http_parser* p, std::size_t n) {
    HttpRequestReader& r = Of(p);
    r.headBytes_ += n;
    if (r.headBytes_ > r.limits_.headBytes)
      return Fail(p, 431, "the headers are longer than " + std::to_string(r.limits_.headBytes) + " bytes");
    return 0;
  }

  static int OnField(http_parser* p, const char* at, std::size_t n) {
    HttpRequestReader& r = Of(p);
    if (CountHead(p, n)) return 1;
    if (r.inValue_) {  // a new header begins
      r.field_.clear();
      r.inValue_ = false;
    }
    r.field_.append(at, n);
    return 0;
  }

  static int OnValue(http_parser* p, const char* at, std::size_t n) {
    HttpRequestReader& r = Of(p);
    if (CountHead(p, n)) return 1;
    if (!r.inValue_) {
      if (r.head_.headers.size() >= r.limits_.headers)
        return Fail(p, 431, "more than " + std::to_string(r.limits_.headers) + " header lines");
      r.head_.headers.emplace_back(Lower(r.field_), std::string());
      r.inValue_ = true;
    }
    r.head_.headers.back().second.append(at, n);
    return 0;
  }

  static int OnHeadersComplete(http_parser* p) {
    HttpRequestReader& r = Of(p);
    HttpHead& h = r.head_;
    if (p->http_major != 1) return Fail(p, 505, "only HTTP/1.0 and HTTP/1.1 are served");
    for (auto& [name, value] : h.headers) value = std::string(TrimBlanks(value));
    // http-parser takes "gzip, chunked" as chunked; nothing here decodes
    // gzip, and a coding the server does not apply must not be guessed at.
    if (const std::string* te = h.Find("transfer-encoding"); te && !SameWord(*te, "chunked"))
      return Fail(p, 501, "the only transfer coding served is chunked");
    h.method = http_method_str(static_cast<http_method>(p->method));
    h.versionMinor = p->http_minor;
    h.keepAlive = http_should_keep_alive(p) != 0 && !p->upgrade;
    h.chunked = (p->flags & F_CHUNKED) != 0;
    if (!h.chunked && h.Find("content-length")) h.contentLength = p->content_length;
    r.state_ = State::HeadRead;
    http_parser_pause(p, 1);  // the caller looks at the head before any body is kept
    return 0;
  }

  static int OnBody(http_parser* p, const char* at, std::size_t n) {
    HttpRequestReader& r = Of(p);
    if (r.body_.size() + n > r.bodyLimit_)
      return Fail(p, 413, "the request body is larger than " + std::to_string(r.bodyLimit_) + " bytes");
    r.body_.append(at, n);
    return 0;
  }

  static int OnComplete(http_parser* p) {
    Of(p).state_ = State::Whole;
    http_parser_pause(p, 1);  // one request at a time, pipelined ones wait
    return 0;
  }
};

HttpRequestReader::HttpRequestReader(Limits limits) : limits_(limits), parser_(std::make_unique<Parser>()) {
  http_parser_init(&parser_->parser, HTTP_REQUEST);
  parser_->parser.data = this;
  http_parser_settings& s = parser_->settings;
  http_parser_settings_init(&s);
  s.on_message_begin = &Parser::OnBegin;
  s.on_url = &Parser::OnUrl;
  s.on_header_field = &Parser::OnField;
  s.on_header_value = &Parser::OnValue;
  s.on_headers_complete = &Parser::OnHeadersComplete;
  s.on_body = &Parser::OnBody;
  s.on_message_complete = &Parser::OnComplete;
}

HttpRequestReader::~HttpRequestReader() = default;

void HttpRequestReader::Feed(std::string_view bytes) {
  if (start_ > 0 && start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > 4096 && start_ * 2 > buffer_.size()) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  buffer_.append(bytes);
}

HttpRequestReader::Step HttpRequestReader::Next() {
  if (state_ == State::HeadRead) {
    if (head_.contentLength && *head_.contentLength > bodyLimit_)
      throw HttpError(413, "the request body of " + std::to_string(*head_.contentLength) +
                               " bytes is larger than " + std::to_string(bodyLimit_) + " bytes");
    state_ = State::InBody;
  }
  if (state_ == State::Whole) throw std::logic_error("HttpRequestReader::Next: the body was not taken");
  http_parser& p = parser_->parser;
  while (start_ < buffer_.size()) {
    http_parser_pause(&p, 0);
    const std::size_t n = http_parser_execute(&p, &parser_->settings, buffer_.data() + start_, buffer_.size() - start_);
    start_ += n;
    const auto error = static_cast<http_errno>(HTTP_PARSER_ERRNO(&p));
    if (failure_) throw *failure_;
    if (error != HPE_OK && error != HPE_PAUSED) {
      const bool smuggling = error == HPE_UNEXPECTED_CONTENT_LENGTH;
      throw HttpError(400, std::string(smuggling ? "ambiguous body length: " : "malformed request: ") +
                               http_errno_description(error));
    }
    if (state_ == State::HeadRead) return Step::Head;
    if (state_ == State::Whole) return Step::Whole;
    if (p.upgrade) throw HttpError(400, "protocol upgrades are not served");
    if (n == 0) break;
  }
  return Step::More;
}

void HttpRequestReader::SetBodyLimit(std::size_t limit) { bodyLimit_ = limit; }

std::string HttpRequestReader::TakeBody() {
  if (state_ != State::Whole) throw std::logic_error("HttpRequestReader::TakeBody: no whole request");
  state_ = State::Idle;
  std::string body = std::move(body_);
  body_ = std::string();
  return body;
}

bool HttpRequestReader::Begun() const { return state_ != State::Idle || start_ < buffer_.size(); }

}  // namespace rpc
