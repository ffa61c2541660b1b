// One JSON-RPC request through the dispatcher with the application server's
// methods, on a session that has done Connect, against a throw-away SQLite
// database with the schema and the demo (created once per process, removed
// at exit).
//
// Checks: the answer is a well-formed response; it carries the request's id
// when the request could be read; no request makes the server fail inside
// (kInternalError), since bad arguments must get a clear error; the
// connection is closed only for a refused handshake.

#include <spdlog/spdlog.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "fuzz_check.h"
#include "rpc/Dispatcher.h"
#include "rpc/Message.h"

namespace {

struct Server {
  std::filesystem::path dir;
  std::unique_ptr<appserver::Database> db;
  std::unique_ptr<rpc::Dispatcher> dispatcher;
  rpc::Session session;  // connected; each input gets a copy
};

Server* server = nullptr;

void RemoveDatabase() {
  if (!server) return;
  server->dispatcher.reset();
  server->db.reset();
  std::error_code ignored;  // a leftover temporary folder is no fault of the input
  std::filesystem::remove_all(server->dir, ignored);
}

Server& Get() {
  if (server) return *server;
  server = new Server;
  std::string pattern = (std::filesystem::temp_directory_path() / "ate-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  server->dir = pattern;
  std::atexit(RemoveDatabase);
  const dbsession::Location where = dbsession::ParseUrl("sqlite:" + (server->dir / "ate.db").string());
  {
    const auto session = dbsession::Open(where);
    dbsession::CreateSchema(*session);
    dbsession::LoadDemo(*session);
  }
  server->db = std::make_unique<appserver::Database>(where);
  server->dispatcher = std::make_unique<rpc::Dispatcher>(appserver::kServerName, "");
  appserver::RegisterMethods(*server->dispatcher, *server->db);
  server->session.peer = "fuzz";
  const auto hello = server->dispatcher->Handle(
      R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"fuzz"}})",
      server->session);
  FUZZ_CHECK(server->session.connected && !hello.close);
  return *server;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  spdlog::set_level(spdlog::level::off);  // a log line per request would drown the fuzzer's output
  Get();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Server& s = Get();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  rpc::Session session = s.session;
  const rpc::Dispatcher::Outcome outcome = s.dispatcher->HandleNow(text, session);

  rpc::Response response;
  try {
    response = rpc::DecodeResponse(outcome.response);
  } catch (const rpc::RpcError& e) {
    std::fprintf(stderr, "malformed response: %s\n%s\n", e.what(), outcome.response.c_str());
    std::abort();
  }
  if (!response.ok && response.code == rpc::kInternalError) {
    std::fprintf(stderr, "internal error: %s\n", response.message.c_str());
    std::abort();
  }
  FUZZ_CHECK(!outcome.close);  // the session is connected: no handshake to refuse
  FUZZ_CHECK(session.connected);
  try {
    const rpc::Request request = rpc::DecodeRequest(text);
    FUZZ_CHECK(response.idJson == request.idJson);
  } catch (const rpc::RpcError&) {
    // Not a request: the answer is an error.
    FUZZ_CHECK(!response.ok);
  }
  return 0;
}
