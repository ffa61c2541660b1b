#include "rpc/Dispatcher.h"

#include <spdlog/spdlog.h>

#include <limits>
#include <stdexcept>

#include "packet/JsonReader.h"
#include "rpc/ErrorReference.h"
#include "rpc/LogText.h"
#include "rpc/SameSecret.h"

namespace rpc {

namespace {

constexpr std::string_view kConnect = "Connect";

// Length of the well-formed UTF-8 sequence at s[i] (a byte >= 0x80), 0 when
// it is malformed.
std::size_t Utf8Sequence(std::string_view s, std::size_t i) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t left = s.size() - i;
  const unsigned char c = p[i];
  std::size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;  // overlong
    if (c == 0xF4) hi = 0x8F;  // past U+10FFFF
  } else {
    return 0;
  }
  if (left < len || p[i + 1] < lo || p[i + 1] > hi) return 0;
  for (std::size_t k = 2; k < len; ++k)
    if ((p[i + k] & 0xC0) != 0x80) return 0;
  return len;
}

// The text with every malformed UTF-8 byte replaced by U+FFFD, so that an
// error message built from foreign text can always be sent.
std::string ValidUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      out.push_back(s[i++]);
    } else if (const std::size_t n = Utf8Sequence(s, i)) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      out.append("\xEF\xBF\xBD");
      ++i;
    }
  }
  return out;
}

// An error response that is always well formed: a message that is not
// UTF-8 is repaired, data that is not JSON is left out.
std::string ErrorResponse(std::string_view idJson, int code, std::string_view message, std::string data = {}) {
  const std::string text = ValidUtf8(message);
  try {
    return EncodeError(idJson, RpcError(code, text, std::move(data)));
  } catch (const std::invalid_argument&) {
  }
  try {
    return EncodeError(idJson, RpcError(code, text));
  } catch (const std::invalid_argument&) {
  }
  return EncodeError("null", RpcError(code, text));
}

// The id that DecodeRequest kept in the data of its error, or "null".
std::string IdFromErrorData(const std::string& data) {
  if (data.empty()) return "null";
  try {
    packet::JsonReader r(data);
    r.BeginObject();
    std::string name;
    while (r.NextMember(name)) {
      if (name == "id") return std::string(r.SkipValue());
      r.SkipValue();
    }
  } catch (const packet::PacketError&) {
  }
  return "null";
}

// Client text in an answer or a log line: short, and unable to forge one.
std::string Quoted(std::string_view s) { return LogQuoted(s, 60); }

[[noreturn]] void BadParams(const Request& request, const std::string& text) {
  throw RpcError(kInvalidParams, request.method + ": " + text);
}

const Param& ParamAt(const Request& request, std::size_t index) {
  if (request.paramsByName) BadParams(request, "arguments must be given as an array");
  if (index >= request.params.size())
    BadParams(request, "argument " + std::to_string(index + 1) + " is missing");
  return request.params[index];
}

// The handshake. Refusals close the connection; a second Connect on a
// connection that has one is refused and changes nothing.
Dispatcher::Outcome Connect(const Request& request, Session& session, const std::string& serverName,
                            const std::string& token) {
  const std::string& id = request.idJson;
  if (session.connected)
    return {ErrorResponse(id, kInvalidRequest, "Connect: this connection is already connected"), false};
  auto refuse = [&](const std::string& why) {
    // Logged by the server, which keeps a hostile peer's refusals few.
    session.refusal = "handshake refused: " + why;
    return Dispatcher::Outcome{ErrorResponse(id, kInvalidParams, "Connect: " + why), true};
  };
  if (!request.paramsByName) return refuse("arguments must be an object {\"server\",\"user\",\"token\"}");
  const Param* server = nullptr;
  const Param* user = nullptr;
  const Param* given = nullptr;
  for (const auto& [name, value] : request.named) {
    if (name == "server") server = &value;
    else if (name == "user") user = &value;
    else if (name == "token") given = &value;
    else return refuse("unknown argument " + Quoted(name));
  }
  if (!server || server->kind != Param::Kind::String) return refuse("\"server\" must be a string");
  if (!user || user->kind != Param::Kind::String) return refuse("\"user\" must be a string");
  if (given && given->kind != Param::Kind::String) return refuse("\"token\" must be a string");
  if (!given && !token.empty()) return refuse("\"token\" is missing");
  if (server->text != serverName)
    return refuse("unknown server " + Quoted(server->text) + ", this is " + Quoted(serverName));
  if (!token.empty() && !SameSecret(given->text, token)) return refuse("wrong token");
  session.connected = true;
  session.user = user->text;
  session.userInLog = LogText(session.user, 60);
  spdlog::debug("rpc: {}: connected as {}", session.peer, Quoted(session.user));
  return {EncodeResult(id, Reply{}), false};
}

// An unexpected failure: its text may name internals (SQL, paths), so it
// goes to the log under a reference and the caller gets the reference.
std::string InternalError(const Request& request, const Session& session, const char* what) {
  const std::string ref = NewErrorReference();
  spdlog::error("rpc: {}: {} id {} failed, reference {}: {}", session.peer, request.method, LogText(request.idJson, 60),
                ref, LogText(what));
  return ErrorResponse(request.idJson, kInternalError, request.method + ": internal error, reference " + ref,
                       "{\"ref\":\"" + ref + "\"}");
}

// Runs the handler and encodes what it answers or throws.
std::string Call(const Dispatcher::Handler& handler, const Request& request, Session& session) {
  const std::string& id = request.idJson;
  Reply reply;
  try {
    reply = handler(request, session);
  } catch (const RpcError& e) {
    return ErrorResponse(id, e.Code(), e.what(), e.DataJson());
  } catch (const std::exception& e) {
    return InternalError(request, session, e.what());
  } catch (...) {
    return InternalError(request, session, "unknown exception");
  }
  try {
    return EncodeResult(id, reply);
  } catch (const std::invalid_argument& e) {
    return InternalError(request, session, (std::string("the answer is not valid JSON: ") + e.what()).c_str());
  }
}

}  // namespace

Dispatcher::Dispatcher(std::string serverName, std::string token)
    : serverName_(std::move(serverName)), token_(std::move(token)) {}

void Dispatcher::Add(std::string method, Handler handler, Lane lane) {
  if (method.empty()) throw std::invalid_argument("Dispatcher::Add: empty method name");
  if (method == kConnect) throw std::invalid_argument("Dispatcher::Add: 'Connect' is the handshake, not a method");
  if (!handler) throw std::invalid_argument("Dispatcher::Add: empty handler for '" + method + "'");
  if (handlers_.contains(method)) throw std::invalid_argument("Dispatcher::Add: '" + method + "' added twice");
  handlers_.emplace(std::move(method), Entry{std::move(handler), lane});
}

std::string Dispatcher::IdOf(std::string_view requestJson) {
  try {
    return DecodeRequest(requestJson).idJson;
  } catch (const RpcError& e) {
    // Unreadable as a request: its id, if the decoder got that far.
    return e.Code() == kParseError ? "null" : IdFromErrorData(e.DataJson());
  }
}

Dispatcher::Outcome Dispatcher::Handle(std::string_view requestJson, Session& session) const {
  try {
    Request request;
    try {
      request = DecodeRequest(requestJson);
    } catch (const RpcError& e) {
      // A frame that holds no readable request leaves the connection usable:
      // the next frame starts clean.
      const std::string id = e.Code() == kParseError ? "null" : IdFromErrorData(e.DataJson());
      spdlog::debug("rpc: {}: {}", session.peer, LogText(e.what()));
      return {ErrorResponse(id, e.Code(), e.what(), e.DataJson()), false};
    }
    if (request.method == kConnect) return Connect(request, session, serverName_, token_);
    if (!session.connected) {
      session.refusal = Quoted(request.method) + " before Connect";
      return {ErrorResponse(request.idJson, kInvalidRequest,
                            "Connect must come first: " + Quoted(request.method) + " refused"),
              true};
    }
    const auto it = handlers_.find(request.method);
    if (it == handlers_.end())
      return {ErrorResponse(request.idJson, kMethodNotFound, "unknown method " + Quoted(request.method)), false};
    const Handler& handler = it->second.handler;
    if (it->second.lane == Lane::Quick) return {Call(handler, request, session), false};
    request.received = std::chrono::steady_clock::now();
    return {{}, false, [&handler, request = std::move(request), &session] { return Call(handler, request, session); }};
  } catch (const std::exception& e) {
    // Only running out of memory gets here.
    return {ErrorResponse("null", kInternalError, std::string("internal error: ") + e.what()), false};
  }
}

Dispatcher::Outcome Dispatcher::HandleNow(std::string_view requestJson, Session& session) const {
  Outcome outcome = Handle(requestJson, session);
  if (outcome.later) {
    outcome.response = outcome.later();
    outcome.later = nullptr;
  }
  return outcome;
}

void ExpectParamCount(const Request& request, std::size_t min, std::size_t max) {
  if (request.paramsByName) BadParams(request, "arguments must be given as an array");
  const std::size_t n = request.params.size();
  if (n >= min && n <= max) return;
  std::string want;
  if (min == max) {
    want = std::to_string(min) + (min == 1 ? " argument" : " arguments");
  } else if (max == std::numeric_limits<std::size_t>::max()) {
    want = "at least " + std::to_string(min) + (min == 1 ? " argument" : " arguments");
  } else {
    want = std::to_string(min) + " to " + std::to_string(max) + " arguments";
  }
  BadParams(request, "expected " + want + ", got " + std::to_string(n));
}

const std::string& StringParam(const Request& request, std::size_t index) {
  const Param& p = ParamAt(request, index);
  if (p.kind != Param::Kind::String)
    BadParams(request, "argument " + std::to_string(index + 1) + " must be a string");
  return p.text;
}

double NumberParam(const Request& request, std::size_t index) {
  const Param& p = ParamAt(request, index);
  if (p.kind != Param::Kind::Number)
    BadParams(request, "argument " + std::to_string(index + 1) + " must be a number");
  return p.number;
}

const std::string& ObjectParam(const Request& request, std::size_t index) {
  const Param& p = ParamAt(request, index);
  if (p.kind != Param::Kind::Object)
    BadParams(request, "argument " + std::to_string(index + 1) + " must be an object");
  return p.text;
}

}  // namespace rpc
