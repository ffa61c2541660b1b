#pragma once
// Turns one request text into one response text: a pure function of the
// request, the registered handlers and the connection's session, so that it
// is tested without sockets.
//
// The first request on a connection must be Connect with params
// {"server":NAME,"user":LOGIN,"token":T}; a wrong server name or token is
// refused and the connection is to be closed. Any other method before a
// successful Connect is refused the same way.

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "rpc/Message.h"

namespace rpc {

// What the server knows about one connection.
struct Session {
  bool connected = false;  // Connect succeeded
  std::string user;        // the login name given to Connect
  std::string userInLog;   // the same, made safe for a log line
  std::string peer;        // "address:port" of the client, for logs
  // Why the last request before a successful Connect was refused, made
  // safe for a log line; empty when it was not read as a request.
  std::string refusal;
};

class Dispatcher {
 public:
  // Handlers throw RpcError for answers the user should see; any other
  // exception becomes kInternalError with its text.
  using Handler = std::function<Reply(const Request&, Session&)>;

  struct Outcome {
    std::string response;
    bool close = false;  // the connection must be closed after sending it
    // Set instead of response for a request of the slow lane: running it
    // (once, on another thread, while the session lives and no other
    // request of the connection is handled) gives the response.
    std::function<std::string()> later = {};
  };

  // Quick requests are answered on the thread that read them. Slow ones
  // (those that may wait for the database's write locks) are handed back
  // as Outcome::later, so that waiting saves never hold up the threads
  // that serve reads and handshakes.
  enum class Lane { Quick, Slow };

  // token empty: Connect needs none.
  Dispatcher(std::string serverName, std::string token);

  // Throws std::invalid_argument for an empty name, "Connect" or a name
  // already registered.
  void Add(std::string method, Handler handler, Lane lane = Lane::Quick);

  // Never throws for bad input: every failure becomes an error response.
  Outcome Handle(std::string_view requestJson, Session& session) const;
  // Handle, with a slow request answered at once on the calling thread:
  // for callers without a slow lane (in-process back ends, tests).
  Outcome HandleNow(std::string_view requestJson, Session& session) const;
  // The id of a request as JSON text, to answer it by; "null" when it
  // cannot be read.
  static std::string IdOf(std::string_view requestJson);

  const std::string& ServerName() const { return serverName_; }

 private:
  std::string serverName_;
  std::string token_;
  struct Entry {
    Handler handler;
    Lane lane = Lane::Quick;
  };
  std::map<std::string, Entry, std::less<>> handlers_;
};

// Argument checks for handlers. Each throws RpcError kInvalidParams with a
// text naming the method, the argument's position (1-based) and what was
// expected.
void ExpectParamCount(const Request& request, std::size_t min, std::size_t max);
const std::string& StringParam(const Request& request, std::size_t index);
double NumberParam(const Request& request, std::size_t index);
// The raw JSON text of an object argument.
const std::string& ObjectParam(const Request& request, std::size_t index);

}  // namespace rpc
