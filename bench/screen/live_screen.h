#pragma once
// The screen as the host opens it, over a throw-away SQLite database with
// an application server on a loopback port: what the screen benchmarks
// share.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "appserver/db/Soci.h"
#include "screen/Cli_ate11600.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace appserver {
class Database;
}
namespace rpc {
class Dispatcher;
class Server;
}  // namespace rpc

namespace bench {

class LiveScreen {
 public:
  // Creates the database in a fresh temporary folder (the schema, then
  // fill), starts the server over it, sets the host's branch and opens the
  // screen. Throws std::runtime_error when the screen shows a message.
  LiveScreen(const std::string& name, const std::function<void(soci::session&)>& fill, const std::string& branch);
  ~LiveScreen();
  LiveScreen(const LiveScreen&) = delete;
  LiveScreen& operator=(const LiveScreen&) = delete;

  // The database, for changes behind the screen's back.
  soci::session& Sql() { return *sql_; }

  toolkit::RecordingDialogs dialogs;
  TfrmPropPass* screen = nullptr;

 private:
  std::filesystem::path dir_;
  std::unique_ptr<soci::session> sql_;
  std::unique_ptr<appserver::Database> db_;
  std::unique_ptr<rpc::Dispatcher> dispatcher_;
  std::unique_ptr<rpc::Server> server_;
};

}  // namespace bench
