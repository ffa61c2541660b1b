#pragma once
// Opening a database session from a URL, for the application server and for
// the client's read-only lookups, which use the same general database.
//
// URLs:
//   sqlite:PATH                      an SQLite file (created when missing)
//   postgresql://... / postgres://...  a libpq connection URI
//   postgresql:CONNINFO              a libpq key=value string
//   dbname=... host=... (any key=value string)  as above

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "appserver/db/Soci.h"

namespace dbsession {

enum class Dialect { Sqlite, Postgresql };

struct Location {
  Dialect dialect = Dialect::Sqlite;
  // The file for SQLite; the libpq connection string for PostgreSQL.
  std::string target;
};

// Throws std::invalid_argument naming the URL when it is none of the forms
// above (or names an empty SQLite path).
Location ParseUrl(std::string_view url);

struct OpenOptions {
  // How long a statement waits for another session's lock before it fails
  // (SQLite's busy time-out, PostgreSQL's lock_timeout).
  std::chrono::milliseconds lockTimeout{std::chrono::seconds(10)};
  // PostgreSQL: how long one statement may run before it is cancelled
  // (0: no limit).
  std::chrono::milliseconds statementTimeout{0};
};

// Opens a session. SQLite sessions are set to WAL with synchronous=FULL (a
// commit is on disk when it returns), foreign keys on, the lock time-out,
// and get the NVL(a, b) function; PostgreSQL sessions get the lock and
// statement time-outs. Throws soci::soci_error (or
// std::runtime_error) with the driver's text when the database cannot be
// opened, std::invalid_argument when a PostgreSQL URI is malformed.
std::unique_ptr<soci::session> Open(const Location& location, const OpenOptions& options = {});

// The dialect of an open session (from its back end).
Dialect DialectOf(soci::session& session);

// Creates the folder that will hold an SQLite file, if there is one to
// create. Throws std::filesystem::filesystem_error when it cannot.
void EnsureParentFolder(const Location& location);

}  // namespace dbsession
