#include "appserver/db/DbSession.h"

#include <libpq-fe.h>
#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "appserver/db/UrlText.h"

namespace dbsession {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// The URL is named without its password: these texts reach logs and
// message boxes.
[[noreturn]] void BadUrl(std::string_view url, const std::string& why) {
  throw std::invalid_argument("database URL '" + WithoutPassword(url) + "': " + why);
}

// SOCI's SQLite back end takes a bare file name as the whole string, or
// key=value pairs where a value with blanks is double-quoted.
std::string SqliteConnectString(const std::string& path) {
  if (path.find('=') == std::string::npos) return path;
  if (path.find('"') != std::string::npos) {
    throw std::invalid_argument("SQLite path '" + path + "' holds both '=' and '\"', which cannot be passed on");
  }
  return "db=\"" + path + "\"";
}

bool IsPostgresqlUri(std::string_view s) { return StartsWith(s, "postgresql://") || StartsWith(s, "postgres://"); }

// libpq's reasons quote the text they could not read, password and all:
// a quoted single sign ("=", ":") is kept, anything longer becomes "...".
std::string LibpqReason(const char* error) {
  if (!error) return "out of memory";
  const std::string_view text(error);
  std::string why;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t close = text[i] == '"' ? text.find('"', i + 1) : std::string_view::npos;
    if (text[i] != '"') {
      why.push_back(text[i]);
    } else if (close == i + 2 && !std::isalnum(static_cast<unsigned char>(text[i + 1]))) {
      why.append(text.substr(i, 3));
      i = close;
    } else {
      why.append("\"...\"");
      if (close == std::string_view::npos) break;
      i = close;
    }
  }
  while (!why.empty() && std::isspace(static_cast<unsigned char>(why.back()))) why.pop_back();
  return why;
}

constexpr char kUriAdvice[] =
    "a user name or password holding '@', ':', '/', '?', '%' or a blank must be percent-encoded "
    "(%40, %3A, %2F, %3F, %25, %20), or the password left to PGPASSWORD or ~/.pgpass";

[[noreturn]] void Unreadable(const std::string& target, const char* error) {
  if (IsPostgresqlUri(target)) {
    throw std::invalid_argument("PostgreSQL URI '" + WithoutPassword(target) + "' cannot be read (" +
                                LibpqReason(error) + "): " + kUriAdvice);
  }
  throw std::invalid_argument("PostgreSQL connection string '" + WithoutPassword(target) + "' cannot be read (" +
                              LibpqReason(error) +
                              "): a value holding blanks or quotes must be written in single quotes, "
                              "with \\' and \\\\ inside");
}

// An unencoded '@' or '/' in a password still parses, into a host, port or
// database name made of part of the password, which the connection error
// would then quote. Hosts and database names hold no '@', and a URI with an
// '@' has user info: anything else is such a misreading, refused unsent.
void CheckUserInfoRead(const std::string& uri, const PQconninfoOption* options) {
  bool hasUser = false, misread = false;
  for (const PQconninfoOption* o = options; o->keyword; ++o) {
    const std::string_view key = o->keyword, value = o->val ? o->val : "";
    if ((key == "user" || key == "password") && !value.empty()) hasUser = true;
    if ((key == "host" || key == "hostaddr" || key == "port" || key == "dbname") && value.find('@') != value.npos)
      misread = true;
  }
  const std::string_view beforeQuery = std::string_view(uri).substr(0, uri.find('?'));
  if (misread || (beforeQuery.find('@') != beforeQuery.npos && !hasUser)) {
    throw std::invalid_argument("PostgreSQL URI '" + WithoutPassword(uri) +
                                "' cannot be read as user info, host and database: " + kUriAdvice);
  }
}

// SOCI's PostgreSQL back end cuts the connection string into key=value words
// itself (to pick out options of its own), which turns a URI into nonsense
// ("database \"ate=\" does not exist"). libpq reads the URI into those words
// first; each value is quoted as libpq reads it back. A key=value string is
// read too, only so that a malformed one is refused here, in words that do
// not quote it.
std::string PostgresqlConnectString(const std::string& target) {
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, void (*)(PQconninfoOption*)> options(PQconninfoParse(target.c_str(), &error),
                                                                          PQconninfoFree);
  if (!options) {
    std::unique_ptr<char, void (*)(void*)> text(error, PQfreemem);
    Unreadable(target, text.get());
  }
  if (!IsPostgresqlUri(target)) return target;
  CheckUserInfoRead(target, options.get());
  std::string out;
  for (const PQconninfoOption* o = options.get(); o->keyword; ++o) {
    if (!o->val || !*o->val) continue;
    if (!out.empty()) out.push_back(' ');
    out.append(o->keyword).append("='");
    for (const char* c = o->val; *c; ++c) {
      if (*c == '\\' || *c == '\'') out.push_back('\\');
      out.push_back(*c);
    }
    out.push_back('\'');
  }
  return out;
}

void Nvl(sqlite_api::sqlite3_context* context, int, sqlite_api::sqlite3_value** args) {
  sqlite_api::sqlite3_result_value(context, sqlite_api::sqlite3_value_type(args[0]) != SQLITE_NULL ? args[0] : args[1]);
}

sqlite_api::sqlite3* NativeSqlite(soci::session& session) {
  return static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
}

// Each connection is used by one thread at a time, so SQLite's own mutexes
// around every call are pure cost. The setting only takes before SQLite
// starts; if something started it already, the default stays, which is
// safe too. Memory statistics go as well: nothing reads them, and keeping
// them takes one process-wide mutex on every allocation, for which the
// worker threads queue up.
void UseMultiThreadMode() {
  static std::once_flag once;
  std::call_once(once, [] {
    (void)sqlite_api::sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    (void)sqlite_api::sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  });
}

void SetUpSqlite(soci::session& session, const OpenOptions& options) {
  sqlite_api::sqlite3* db = NativeSqlite(session);
  if (sqlite_api::sqlite3_busy_timeout(db, static_cast<int>(options.lockTimeout.count())) != SQLITE_OK ||
      sqlite_api::sqlite3_create_function_v2(db, "NVL", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, Nvl, nullptr,
                                             nullptr, nullptr) != SQLITE_OK) {
    throw std::runtime_error(std::string("cannot set up the SQLite connection: ") + sqlite_api::sqlite3_errmsg(db));
  }
  // A file system without shared memory keeps the old journal; saying so is
  // better than running with other guarantees than the ones promised.
  std::string mode;
  session << "PRAGMA journal_mode=WAL", soci::into(mode);
  if (mode != "wal" && mode != "memory") throw std::runtime_error("SQLite refused WAL mode (got '" + mode + "')");
  session << "PRAGMA synchronous=FULL";
  session << "PRAGMA foreign_keys=ON";
}

}  // namespace

Location ParseUrl(std::string_view url) {
  if (StartsWith(url, "sqlite:")) {
    std::string path(url.substr(7));
    if (StartsWith(path, "//")) path.erase(0, 2);  // sqlite://PATH reads the same
    if (path.empty()) BadUrl(url, "no file named after 'sqlite:'");
    return {Dialect::Sqlite, path};
  }
  if (IsPostgresqlUri(url)) return {Dialect::Postgresql, std::string(url)};
  if (StartsWith(url, "postgresql:")) {
    std::string info(url.substr(11));
    if (info.find('=') == std::string::npos)
      BadUrl(url, "expected key=value pairs after 'postgresql:' (a URI begins postgresql://)");
    return {Dialect::Postgresql, info};
  }
  if (url.find('=') != std::string_view::npos) return {Dialect::Postgresql, std::string(url)};
  BadUrl(url, "expected sqlite:PATH or a PostgreSQL connection string (postgresql://... or dbname=...)");
}

std::unique_ptr<soci::session> Open(const Location& location, const OpenOptions& options) {
  if (location.dialect == Dialect::Postgresql) {
    auto session =
        std::make_unique<soci::session>(*soci::factory_postgresql(), PostgresqlConnectString(location.target));
    // Whole milliseconds, written by us: nothing of the caller's in the text.
    *session << "SET lock_timeout = " + std::to_string(options.lockTimeout.count());
    *session << "SET statement_timeout = " + std::to_string(options.statementTimeout.count());
    return session;
  }
  UseMultiThreadMode();
  auto session = std::make_unique<soci::session>(*soci::factory_sqlite3(), SqliteConnectString(location.target));
  SetUpSqlite(*session, options);
  return session;
}

Dialect DialectOf(soci::session& session) {
  return session.get_backend_name() == "postgresql" ? Dialect::Postgresql : Dialect::Sqlite;
}

void EnsureParentFolder(const Location& location) {
  if (location.dialect != Dialect::Sqlite || StartsWith(location.target, "file:") || location.target == ":memory:") {
    return;
  }
  const std::filesystem::path parent = std::filesystem::path(location.target).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent);
}

}  // namespace dbsession
