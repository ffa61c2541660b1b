#include "appserver/Database.h"

#include <libpq-fe.h>
#include <soci/postgresql/soci-postgresql.h>

#include <stdexcept>

namespace appserver {

namespace {

std::atomic<std::size_t> nextSlot{0};
std::atomic<std::uint64_t> nextDatabaseId{1};

// The connection the calling thread used last, so that the usual call finds
// it without taking the lock.
struct LastUsed {
  std::uint64_t owner = 0;
  Connection* connection = nullptr;
};
thread_local LastUsed lastUsed;

}  // namespace

StatementDef::StatementDef(std::string sql, std::vector<Kind> params, std::vector<Kind> columns,
                           std::string postgresqlSql)
    : sql_(std::move(sql)),
      postgresqlSql_(std::move(postgresqlSql)),
      params_(std::move(params)),
      columns_(std::move(columns)),
      slot_(nextSlot++) {}

const std::string& StatementDef::Sql(dbsession::Dialect dialect) const {
  return dialect == dbsession::Dialect::Postgresql && !postgresqlSql_.empty() ? postgresqlSql_ : sql_;
}

Connection::Connection(const dbsession::Location& location, const dbsession::OpenOptions& options)
    : session_(dbsession::Open(location, options)), dialect_(location.dialect) {}

Statement& Connection::Prepared(const StatementDef& def) {
  if (def.Slot() >= statements_.size()) statements_.resize(def.Slot() + 1);
  std::unique_ptr<Statement>& st = statements_[def.Slot()];
  if (!st) st = std::make_unique<Statement>(*session_, def.Sql(dialect_), def.Params(), def.Columns());
  return *st;
}

bool Connection::Broken() {
  if (dialect_ != dbsession::Dialect::Postgresql) return false;
  const auto* backend = static_cast<soci::postgresql_session_backend*>(session_->get_backend());
  return !backend || !backend->conn_ || PQstatus(backend->conn_) == CONNECTION_BAD;
}

Database::Database(dbsession::Location location, dbsession::OpenOptions options)
    : location_(std::move(location)), options_(options), id_(nextDatabaseId++) {}

Database::~Database() {
  if (lastUsed.owner == id_) lastUsed = {};
}

void Database::OpenAhead(std::size_t n) {
  std::vector<std::unique_ptr<Connection>> opened;
  while (opened.size() < n) {
    try {
      opened.push_back(std::make_unique<Connection>(location_, options_));
    } catch (const std::exception& e) {
      std::string text = "cannot open " + std::to_string(n) + " database sessions (" + std::to_string(opened.size()) +
                         " opened): " + e.what();
      if (location_.dialect == dbsession::Dialect::Postgresql) {
        text += "; every worker thread (--threads and --save-threads) keeps one session: lower them, or raise "
                "PostgreSQL's max_connections";
      }
      throw std::runtime_error(text);
    }
  }
  std::lock_guard lock(mutex_);
  for (auto& c : opened) ahead_.push_back(std::move(c));
}

Connection& Database::Local() {
  if (lastUsed.owner == id_) return *lastUsed.connection;
  std::lock_guard lock(mutex_);
  std::unique_ptr<Connection>& c = connections_[std::this_thread::get_id()];
  if (!c && !ahead_.empty()) {
    c = std::move(ahead_.back());
    ahead_.pop_back();
  }
  if (!c) {
    try {
      c = std::make_unique<Connection>(location_, options_);
    } catch (const std::exception& e) {
      connections_.erase(std::this_thread::get_id());
      // Callers tell database failures from programming errors by type.
      if (dynamic_cast<const soci::soci_error*>(&e)) throw;
      throw soci::soci_error(e.what());
    }
  }
  lastUsed = {id_, c.get()};
  return *c;
}

bool Database::LocalBroken() {
  std::lock_guard lock(mutex_);
  const auto it = connections_.find(std::this_thread::get_id());
  return it != connections_.end() && it->second && it->second->Broken();
}

void Database::Discard() {
  std::lock_guard lock(mutex_);
  connections_.erase(std::this_thread::get_id());
  if (lastUsed.owner == id_) lastUsed = {};
}

}  // namespace appserver
