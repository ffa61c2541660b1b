#pragma once
// What the application-server tests share: a fresh database with the
// fixture data on either back end, and calls through the real dispatcher.

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "appserver/Database.h"
#include "appserver/db/DbSession.h"
#include "packet/DataPacket.h"
#include "pg_instance.h"
#include "rpc/Dispatcher.h"

namespace appserver_test {

using nlohmann::json;

using testsupport::PgInstance;
using testsupport::TempDir;

enum class Backend { Sqlite, Postgresql };
std::string BackendName(Backend b);

// A fresh database with the schema and the fixture data (or the demo).
class TestDatabase {
 public:
  enum class Content { Fixture, Demo, SchemaOnly };
  // nullptr with the reason in *why when the back end is not available.
  static std::unique_ptr<TestDatabase> Create(Backend backend, Content content, std::string* why);
  ~TestDatabase();

  const dbsession::Location& Where() const { return location_; }
  // A session of its own: "another user" behind the server's back.
  soci::session& Side() { return *side_; }
  // A new side session, after the database server was restarted.
  void ReopenSide() { side_ = dbsession::Open(location_); }
  int Count(const std::string& sql);

 private:
  TestDatabase() = default;
  std::unique_ptr<TempDir> dir_;
  std::string pgName_;
  dbsession::Location location_;
  std::unique_ptr<soci::session> side_;
};

// The server's methods on a dispatcher, called as a connected user.
struct Answer {
  bool ok = false;
  json result, byref;
  int code = 0;
  std::string message;
  json data;
};

class Caller {
 public:
  Caller(const dbsession::Location& where, std::string user = "ana");
  Answer Call(const std::string& method, const json& params);
  appserver::Database& Db() { return db_; }

 private:
  appserver::Database db_;
  rpc::Dispatcher dispatcher_;
  rpc::Session session_;
};

// The rows of a packet answer, after checking that its fields are exactly
// the expected ones (name, type, size); a mismatch fails the test.
std::vector<json> Rows(const Answer& a, const std::vector<packet::FieldDef>& fields);
inline std::vector<json> Rows(const Answer& a, const packet::PacketFields& fields) { return Rows(a, fields.List()); }

// A change log with the given changes ({"op":..., "old":..., "new":...}).
json ChangeLog(std::vector<json> changes);
// One PROPSERVICO row as the client sends it.
json Range(const std::string& servico, json de, json ate, json qt, const std::string& trecho = "01",
           json classe = "0001", json ciclo = "0001");

}  // namespace appserver_test
