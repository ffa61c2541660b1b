#pragma once
// The app server's methods on a dispatcher over a throw-away SQLite file
// (or a database the caller provides), called in-process (no socket) as a
// connected user: what the server-side benchmarks share.
#include <filesystem>
#include <memory>
#include <string>

#include "appserver/db/DbSession.h"
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
  // The schema, then fillSql in one transaction, in the empty database at
  // where, which the caller removes afterwards.
  InProcessServer(const dbsession::Location& where, const std::string& fillSql);
  ~InProcessServer();  // removes the folder, if it made one
  InProcessServer(const InProcessServer&) = delete;
  InProcessServer& operator=(const InProcessServer&) = delete;

  // One request (JSON-RPC text) handled as the server handles it.
  rpc::Dispatcher::Outcome Handle(const std::string& request);
  const dbsession::Location& Where() const { return where_; }

 private:
  void Start(const std::string& fillSql);

  std::filesystem::path dir_;  // empty: the caller's database
  dbsession::Location where_;
  std::unique_ptr<appserver::Database> db_;
  std::unique_ptr<rpc::Dispatcher> dispatcher_;
  rpc::Session session_;
};

}  // namespace bench
