#pragma once
// HTTP/1.x requests as the server reads them off a connection, one after
// another (keep-alive, pipelining), built on Debian's http-parser. The
// reader stops after each request's head, so that the caller can decide who
// may send a body and how large, before any of it is kept.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rpc {

struct HttpHead {
  std::string method;  // "POST"
  std::string target;  // as sent: "/rpc", "/rpc?x=1"
  int versionMinor = 1;  // HTTP/1.x
  // Names in lower case, values without surrounding blanks, in order.
  std::vector<std::pair<std::string, std::string>> headers;
  bool keepAlive = true;  // the connection may carry another request
  std::optional<std::uint64_t> contentLength;  // none: chunked, or no body
  bool chunked = false;

  // The first value of the header (name in lower case), or nullptr.
  const std::string* Find(std::string_view name) const;
};

// Header values compare case-insensitively in ASCII, without the blanks
// and tabs around them.
bool SameWord(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view s);

// A request that cannot be served, and the status to answer it with (400,
// 413, 414, 431, 501, 505). The connection cannot read on after it.
class HttpError : public std::runtime_error {
 public:
  HttpError(int status, const std::string& what) : std::runtime_error(what), status_(status) {}
  int Status() const { return status_; }

 private:
  int status_;
};

class HttpRequestReader {
 public:
  struct Limits {
    std::size_t target = 2048;           // bytes of the request target
    std::size_t headBytes = 16 * 1024;   // header names and values together
    std::size_t headers = 64;            // header lines
  };

  explicit HttpRequestReader(Limits limits);
  HttpRequestReader() : HttpRequestReader(Limits{}) {}
  ~HttpRequestReader();
  HttpRequestReader(const HttpRequestReader&) = delete;
  HttpRequestReader& operator=(const HttpRequestReader&) = delete;

  void Feed(std::string_view bytes);

  enum class Step {
    More,   // more bytes are needed
    Head,   // a request's head is in: see Head(), set the body's limit
    Whole,  // its body is in too: TakeBody()
  };
  // Parses on through what was fed. Throws HttpError for a malformed or
  // refused request: over the limits above, a body over the limit set
  // (413), both Content-Length and Transfer-Encoding, a transfer coding
  // other than chunked (501), a version other than HTTP/1.x (505).
  Step Next();

  // The most body bytes the request whose head was just read may carry
  // (0 until set). A Content-Length over it is refused at once.
  void SetBodyLimit(std::size_t limit);
  const HttpHead& Head() const { return head_; }
  // The body of the request just read whole; the reader moves on to the
  // next request.
  std::string TakeBody();

  // A request has begun to arrive and is not whole yet.
  bool Begun() const;
  // Bytes held, for the caller's memory accounting.
  std::size_t Capacity() const { return buffer_.capacity() + body_.capacity(); }

 private:
  struct Parser;
  friend struct Parser;

  Limits limits_;
  std::unique_ptr<Parser> parser_;
  std::string buffer_;   // fed, not yet parsed from start_
  std::size_t start_ = 0;
  HttpHead head_;
  std::string body_;
  std::string field_;  // the header name being read
  bool inValue_ = false;
  std::size_t headBytes_ = 0;
  std::size_t bodyLimit_ = 0;
  std::optional<HttpError> failure_;  // set by a callback that stopped the parser
  enum class State { Idle, InHead, HeadRead, InBody, Whole } state_ = State::Idle;
};

}  // namespace rpc
