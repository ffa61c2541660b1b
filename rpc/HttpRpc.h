#pragma once
// JSON-RPC 2.0 over HTTP, apart from sockets: which requests reach the
// endpoint, who sends them, how a body splits into calls and how their
// answers join, and the texts of the HTTP answers.
//
// The endpoint is POST /rpc with Content-Type application/json. There is
// no Connect: each request names its user in X-Ate-User and carries the
// token as "Authorization: Bearer TOKEN" (when the server has one).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rpc/HttpRequest.h"

namespace rpc::http {

inline constexpr std::string_view kPath = "/rpc";
inline constexpr std::string_view kUserHeader = "x-ate-user";

// An HTTP answer refusing a request: its status, a JSON-RPC error body
// with id null, and whether the connection must close after it.
struct Refusal {
  int status = 400;
  int code = 0;  // JSON-RPC error code of the body
  std::string message;
};

// 404 for another path, 405 for another method on /rpc, 415 for a body
// that is not declared JSON (or is compressed); nothing when the head may
// go on to authentication.
std::optional<Refusal> CheckRoute(const HttpHead& head);

// Who sends the request, as a Connect would say it.
struct Credentials {
  std::string user;
  std::optional<std::string> token;  // none: no Authorization header
};

// The credentials of the head, or a 401 refusal when X-Ate-User is missing
// or empty, or Authorization is there but not "Bearer TOKEN".
struct CredentialsOrRefusal {
  std::optional<Credentials> credentials;
  std::optional<Refusal> refusal;
};
CredentialsOrRefusal ReadCredentials(const HttpHead& head);

// The Connect request these credentials stand for, on the server named.
// Throws std::invalid_argument when a header is not UTF-8.
std::string ConnectRequest(std::string_view serverName, const Credentials& credentials);

// The calls of a body: one request, or each element of a batch (an array).
// A body that answers itself (not JSON, an empty batch) has `answer` set
// and no calls. Batch elements that are not objects are answered there
// too: their slot in `answers` is filled, the others are to be filled by
// running `calls` at the same index.
struct Calls {
  bool batch = false;
  std::vector<std::string> calls;     // request texts; empty where answered
  std::vector<std::string> answers;   // one per call, filled ahead for bad elements
  std::optional<std::string> answer;  // the whole body's answer
};
Calls SplitBody(std::string body);

// The answers of the calls as one body: the single answer, or a JSON array
// in the order of the batch.
std::string JoinAnswers(Calls calls);

// The head of an answer of `status` with a JSON body of `length` bytes.
// keepAlive false adds "Connection: close". extraHeaders, when given, are
// whole lines ending in CRLF.
std::string ResponseHead(int status, std::size_t length, bool keepAlive, std::string_view extraHeaders = {});
// The JSON-RPC error body of a refusal (id null).
std::string RefusalBody(const Refusal& refusal);
// Extra header lines a refusal's status calls for (401's WWW-Authenticate,
// 405's Allow, 429's Retry-After).
std::string RefusalHeaders(int status);

}  // namespace rpc::http
