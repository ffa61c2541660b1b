#include "InProcessServer.h"

#include <stdlib.h>

#include <stdexcept>

#include "appserver/Database.h"
#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/Soci.h"
#include "appserver/db/SqlScript.h"

namespace bench {

InProcessServer::InProcessServer(const std::string& name, const std::string& fillSql) {
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder for " + name);
  dir_ = pattern;
  where_ = {dbsession::Dialect::Sqlite, (dir_ / "ate.db").string()};
  Start(fillSql);
}

InProcessServer::InProcessServer(const dbsession::Location& where, const std::string& fillSql) : where_(where) {
  Start(fillSql);
}

void InProcessServer::Start(const std::string& fillSql) {
  {
    auto session = dbsession::Open(where_);
    dbsession::CreateSchema(*session);
    soci::transaction filling(*session);  // one commit, not one per row
    dbsession::RunScript(*session, fillSql);
    filling.commit();
  }
  db_ = std::make_unique<appserver::Database>(where_);
  dispatcher_ = std::make_unique<rpc::Dispatcher>("Ate11600.rdmPropPass", "");
  appserver::RegisterMethods(*dispatcher_, *db_);
  Handle(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"b"}})");
}

InProcessServer::~InProcessServer() {
  dispatcher_.reset();
  db_.reset();
  if (dir_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

rpc::Dispatcher::Outcome InProcessServer::Handle(const std::string& request) {
  return dispatcher_->HandleNow(request, session_);
}

}  // namespace bench
