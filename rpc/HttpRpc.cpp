#include "rpc/HttpRpc.h"

#include <fmt/format.h>

#include <cctype>

#include "packet/JsonReader.h"
#include "rpc/LogText.h"
#include "rpc/Message.h"

namespace rpc::http {

namespace {

// "application/json", with or without parameters (charset=utf-8).
bool IsJson(std::string_view contentType) {
  const std::size_t semicolon = contentType.find(';');
  return SameWord(TrimBlanks(contentType.substr(0, semicolon)), "application/json");
}

std::string_view Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
  }
}

Refusal Unauthorized(std::string message) { return {401, kUnauthorized, std::move(message)}; }

// The answer to a batch element that is not an object: JSON-RPC answers
// each such element on its own, by id null.
std::string NotARequest() {
  return EncodeError("null", RpcError(kInvalidRequest, "invalid request: a batch element must be an object"));
}

}  // namespace

std::optional<Refusal> CheckRoute(const HttpHead& head) {
  const std::string_view target = head.target;
  const std::string_view path = target.substr(0, target.find('?'));
  if (path != kPath)
    return Refusal{404, kMethodNotFound, "nothing is served at " + LogQuoted(path, 80) + ": calls go to POST /rpc"};
  if (head.method != "POST") return Refusal{405, kInvalidRequest, "calls go to /rpc with POST, not " + head.method};
  const std::string* type = head.Find("content-type");
  if (!type || !IsJson(*type))
    return Refusal{415, kInvalidRequest, "the body must be JSON, sent with Content-Type: application/json"};
  if (const std::string* coding = head.Find("content-encoding"); coding && !SameWord(*coding, "identity"))
    return Refusal{415, kInvalidRequest, "compressed bodies are not served"};
  return std::nullopt;
}

CredentialsOrRefusal ReadCredentials(const HttpHead& head) {
  const std::string* user = head.Find(kUserHeader);
  if (!user || user->empty()) return {std::nullopt, Unauthorized("the header X-Ate-User (the user's login) is missing")};
  Credentials c{*user, std::nullopt};
  if (const std::string* auth = head.Find("authorization")) {
    const std::string_view a = *auth;
    const std::size_t blank = a.find(' ');
    if (blank == std::string_view::npos || !SameWord(a.substr(0, blank), "bearer"))
      return {std::nullopt, Unauthorized("the header Authorization must be \"Bearer\" and the token")};
    c.token = std::string(TrimBlanks(a.substr(blank + 1)));
  }
  return {std::move(c), std::nullopt};
}

std::string ConnectRequest(std::string_view serverName, const Credentials& credentials) {
  std::vector<std::pair<std::string, Param>> named = {{"server", Param::String(std::string(serverName))},
                                                      {"user", Param::String(credentials.user)}};
  if (credentials.token) named.emplace_back("token", Param::String(*credentials.token));
  return EncodeRequest("0", "Connect", named);
}

Calls SplitBody(std::string body) {
  Calls out;
  std::size_t first = 0;
  while (first < body.size() && std::isspace(static_cast<unsigned char>(body[first]))) ++first;
  if (first == body.size() || body[first] != '[') {
    out.calls.push_back(std::move(body));  // one request: no copy of a large body
    out.answers.emplace_back();
    return out;
  }
  out.batch = true;
  try {
    packet::JsonReader r(body);
    r.BeginArray();
    while (r.NextElement()) {
      const bool object = r.Peek() == packet::JsonReader::Token::ObjectStart;
      const std::string_view element = r.SkipValue();
      out.calls.emplace_back(object ? element : std::string_view());
      out.answers.emplace_back(object ? std::string() : NotARequest());
    }
    r.ExpectEnd();
  } catch (const packet::PacketError& e) {
    out = Calls{};
    out.answer = EncodeError("null", RpcError(kParseError, std::string("parse error: ") + e.what()));
    return out;
  }
  if (out.calls.empty())
    out.answer = EncodeError("null", RpcError(kInvalidRequest, "invalid request: the batch is empty"));
  return out;
}

std::string JoinAnswers(Calls calls) {
  if (calls.answer) return std::move(*calls.answer);
  if (!calls.batch) return calls.answers.empty() ? std::string() : std::move(calls.answers.front());
  std::size_t size = 2;
  for (const std::string& a : calls.answers) size += a.size() + 1;
  std::string out;
  out.reserve(size);
  out += '[';
  for (std::size_t i = 0; i < calls.answers.size(); ++i) {
    if (i > 0) out += ',';
    out += calls.answers[i];
  }
  out += ']';
  return out;
}

std::string ResponseHead(int status, std::size_t length, bool keepAlive, std::string_view extraHeaders) {
  return fmt::format("HTTP/1.1 {} {}\r\nContent-Type: application/json\r\nContent-Length: {}\r\n{}{}\r\n", status,
                     Reason(status), length, keepAlive ? "" : "Connection: close\r\n", extraHeaders);
}

std::string RefusalBody(const Refusal& refusal) {
  return EncodeError("null", RpcError(refusal.code, refusal.message));
}

std::string RefusalHeaders(int status) {
  switch (status) {
    case 401: return "WWW-Authenticate: Bearer realm=\"ate\"\r\n";
    case 405: return "Allow: POST\r\n";
    case 429: return "Retry-After: 1\r\n";
    default: return {};
  }
}

}  // namespace rpc::http
