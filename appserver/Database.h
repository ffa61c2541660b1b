#pragma once
// The application server's storage: one database connection per worker
// thread, opened on the thread's first call, each keeping its prepared
// statements for reuse.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "appserver/Statement.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/Soci.h"

namespace appserver {

// The text of a statement that connections prepare when first asked for it.
// Define each one once, with static storage duration.
class StatementDef {
 public:
  // postgresqlSql empty: the same text on both databases.
  StatementDef(std::string sql, std::vector<Kind> params, std::vector<Kind> columns = {},
               std::string postgresqlSql = {});
  StatementDef(const StatementDef&) = delete;
  StatementDef& operator=(const StatementDef&) = delete;

  const std::string& Sql(dbsession::Dialect dialect) const;
  const std::vector<Kind>& Params() const { return params_; }
  const std::vector<Kind>& Columns() const { return columns_; }
  std::size_t Slot() const { return slot_; }

 private:
  std::string sql_, postgresqlSql_;
  std::vector<Kind> params_, columns_;
  std::size_t slot_;
};

class Connection {
 public:
  explicit Connection(const dbsession::Location& location, const dbsession::OpenOptions& options);

  soci::session& Session() { return *session_; }
  dbsession::Dialect Dialect() const { return dialect_; }
  // The statement prepared from def on this connection. Throws
  // soci::soci_error when the database refuses its text.
  Statement& Prepared(const StatementDef& def);
  // The session is known to be dead (PostgreSQL restarted, or the session
  // was ended from outside): nothing more can run on it.
  bool Broken();

 private:
  std::unique_ptr<soci::session> session_;
  dbsession::Dialect dialect_;
  std::vector<std::unique_ptr<Statement>> statements_;  // by StatementDef::Slot
};

class Database {
 public:
  explicit Database(dbsession::Location location, dbsession::OpenOptions options = {});
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens n connections now for the threads' first calls, so that a
  // database that cannot serve them all is found at start-up rather than
  // under load. Throws std::runtime_error saying how many opened, why the
  // next did not and, on PostgreSQL, naming max_connections.
  void OpenAhead(std::size_t n);

  // The calling thread's connection, opened on its first use. Throws
  // soci::soci_error when it cannot be opened.
  Connection& Local();
  // Closes the calling thread's connection, so that its next call opens a
  // fresh one (after the database failed under it).
  void Discard();
  // The calling thread has a connection and it is Broken().
  bool LocalBroken();

  const dbsession::Location& Where() const { return location_; }
  const dbsession::OpenOptions& Options() const { return options_; }

 private:
  dbsession::Location location_;
  dbsession::OpenOptions options_;
  // Tells this instance's connections apart in the threads' caches, also
  // from those of an instance destroyed before.
  std::uint64_t id_;
  std::mutex mutex_;
  std::map<std::thread::id, std::unique_ptr<Connection>> connections_;
  std::vector<std::unique_ptr<Connection>> ahead_;  // opened, no thread yet
};

}  // namespace appserver
