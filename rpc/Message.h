#pragma once
// JSON-RPC 2.0 requests and responses as this system sends them.
//
// Request:  {"jsonrpc":"2.0","id":N,"method":"GetCompanhia","params":[...]}
//           (params may also be an object, as for Connect)
// Success:  {"jsonrpc":"2.0","id":N,"result":<JSON>[,"byref":[...]]}
// Failure:  {"jsonrpc":"2.0","id":N,"error":{"code":C,"message":"...","data":{...}}}
//
// Results and object arguments (data packets, change logs) are carried as
// raw JSON text, so that they are parsed once, by whoever reads them.

#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rpc {

enum ErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kTooManyRequests = -32001,  // over the connection's request-rate limit
  kUnauthorized = -32002,     // an HTTP request without a valid user or token
  kConflict = 1001,          // row changed or removed by another user
  kRuleViolated = 1002,      // duplicate or overlapping range, bounds
  kUnknownReference = 1003,  // flight, service
  kSaveTooLate = 1004,       // an identified save past its deadline or given up: nothing stored
  kStorageBusy = 1005,       // a database lock or statement time-out: nothing stored, try again
  kSaveOutcomeUnknown = 1006,  // the database session broke during the commit: ask by the save's identity
  kStorageFailure = 1500,
};

// An error answer. Handlers throw it; the client raises it when the server
// answered with an error. message is the text shown to the user.
class RpcError : public std::runtime_error {
 public:
  RpcError(int code, const std::string& message, std::string dataJson = {})
      : std::runtime_error(message), code_(code), dataJson_(std::move(dataJson)) {}
  int Code() const { return code_; }
  // The "data" member as JSON text, empty when there is none.
  const std::string& DataJson() const { return dataJson_; }

 private:
  int code_;
  std::string dataJson_;
};

// The server refused the Connect that opens a connection (a wrong token or
// server name); the client may be reconnecting inside a call.
class HandshakeRefused : public RpcError {
 public:
  using RpcError::RpcError;
};

// The client could not reach the server, timed out, or lost the connection.
// what() is a whole sentence naming the server (and the call); Reason() is
// why alone, "conexão recusada", for a caller that names them itself.
class TransportError : public std::runtime_error {
 public:
  explicit TransportError(const std::string& what) : std::runtime_error(what), reason_(what) {}
  TransportError(const std::string& what, std::string reason)
      : std::runtime_error(what), reason_(std::move(reason)) {}
  const std::string& Reason() const { return reason_; }

 private:
  std::string reason_;
};

// A TransportError after the request went out whole: its answer did not
// come in time, the connection broke or the answer was unreadable. The
// server may have carried the request out.
class AnswerLost : public TransportError {
 public:
  using TransportError::TransportError;
};

// One argument: null, a boolean, a number, a string, or an object or array
// kept as its JSON text.
struct Param {
  enum class Kind { Null, Bool, Number, String, Object, Array };
  Kind kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;  // the string's value, or the JSON text of an object/array

  static Param Null() { return {}; }
  static Param Bool(bool b) { Param p; p.kind = Kind::Bool; p.boolean = b; return p; }
  static Param Number(double v) { Param p; p.kind = Kind::Number; p.number = v; return p; }
  static Param String(std::string s) { Param p; p.kind = Kind::String; p.text = std::move(s); return p; }
  // json must be an object or array; the encoder checks it.
  static Param Json(std::string json);
};

struct Request {
  std::string idJson;  // the id as JSON text: 7, "abc"
  // When the Dispatcher handed it to the slow lane (the epoch otherwise):
  // a handler run later measures its wait from it.
  std::chrono::steady_clock::time_point received{};
  std::string method;
  std::vector<Param> params;                         // params given as an array
  std::vector<std::pair<std::string, Param>> named;  // params given as an object
  bool paramsByName = false;
};

// What a handler answers.
struct Reply {
  std::string resultJson = "{}";  // any JSON value
  std::string byrefJson;          // JSON array of by-reference arguments, or empty
  // Set only by a writer that guarantees both texts are JSON as above
  // (packet::EncodePacket's, say): EncodeResult then copies them unscanned.
  bool wellFormed = false;
};

struct Response {
  std::string idJson;
  bool ok = false;
  Reply reply;  // when ok
  int code = 0;  // when not ok
  std::string message;
  std::string dataJson;
};

// Encoders check what they are given and throw std::invalid_argument for a
// string that is not UTF-8, a non-finite number or raw JSON that is not an
// object or array.
std::string EncodeRequest(std::string_view idJson, std::string_view method, const std::vector<Param>& params);
std::string EncodeRequest(std::string_view idJson, std::string_view method,
                          const std::vector<std::pair<std::string, Param>>& named);
std::string EncodeResult(std::string_view idJson, const Reply& reply);
// idJson "null" when the request's id could not be read.
std::string EncodeError(std::string_view idJson, const RpcError& error);

// What one request may make DecodeRequest build, whatever the size of its
// text: at most kMaxArguments arguments, and object or array arguments
// nested at most kMaxArgumentDepth levels (the argument's own brackets
// count as one). The methods take a handful of arguments, and a change log
// nests three levels.
inline constexpr std::size_t kMaxArguments = 64;
inline constexpr std::size_t kMaxArgumentDepth = 32;

// Throws RpcError
// - kParseError for text that is not JSON;
// - kInvalidRequest for JSON that is not a request: no "jsonrpc":"2.0", no
//   method, params neither array nor object, unknown members, or an id that
//   is neither a string nor an integer within 64 bits (no fraction, no
//   exponent), so that every id answered by is one any client reads back;
// - kInvalidParams, naming the argument, for more arguments or deeper
//   nesting than the limits above, or a number a double cannot hold (one
//   that would become infinite or 0) anywhere in the arguments. Arguments
//   past the limit are only scanned, never kept.
// A request's problems outrank its arguments' (kInvalidRequest first). The
// id is kept in the error's data as {"id":...} when it was read and sound.
Request DecodeRequest(std::string_view json);
// Throws RpcError kParseError for anything that is not a well-formed response.
Response DecodeResponse(std::string_view json);

}  // namespace rpc
