#pragma once
// The app server's methods on a dispatcher over a throw-away SQLite file,
// called in-process (no socket) as a connected user: what the server-side
// benchmarks share.
#include <filesystem>
#include <memory>
#include <string>

#include "rpc/Dispatcher.h"

namespace appserver {
class Database;
}

namespace bench {

class InProcessServer {
 public:
  // The schema, then fillSql in one transaction, in a fresh temporary
  // folder whose name starts with name.
  InProcessServer(const std::string& name, const std::string& fillSql);
  ~InProcessServer();  // removes the folder
  InProcessServer(const InProcessServer&) = delete;
  InProcessServer& operator=(const InProcessServer&) = delete;

  // One request (JSON-RPC text) handled as the server handles it.
  rpc::Dispatcher::Outcome Handle(const std::string& request);

 private:
  std::filesystem::path dir_;
  std::unique_ptr<appserver::Database> db_;
  std::unique_ptr<rpc::Dispatcher> dispatcher_;
  rpc::Session session_;
};

}  // namespace bench
