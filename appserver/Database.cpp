#include "appserver/Database.h"

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

Database::Database(dbsession::Location location, dbsession::OpenOptions options)
    : location_(std::move(location)), options_(options), id_(nextDatabaseId++) {}

Database::~Database() {
  if (lastUsed.owner == id_) lastUsed = {};
}

Connection& Database::Local() {
  if (lastUsed.owner == id_) return *lastUsed.connection;
  std::lock_guard lock(mutex_);
  std::unique_ptr<Connection>& c = connections_[std::this_thread::get_id()];
  if (!c) c = std::make_unique<Connection>(location_, options_);
  lastUsed = {id_, c.get()};
  return *c;
}

void Database::Discard() {
  std::lock_guard lock(mutex_);
  connections_.erase(std::this_thread::get_id());
  if (lastUsed.owner == id_) lastUsed = {};
}

}  // namespace appserver
