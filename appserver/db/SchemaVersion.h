#pragma once
// The schema's version. A database made by db/schema.sql alone is version
// 1 (it has no ATE_VERSAO table); each script db/migrations/NNN_what.sql,
// built into the programs, takes it to version NNN. The version is kept in
// ATE_VERSAO (VERSAO INTEGER NOT NULL), one row.

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "appserver/db/Soci.h"

namespace dbsession {

struct Migration {
  int version = 0;        // the version the script makes: NNN of its name
  std::string_view name;  // the file's name, for logs
  std::string_view sql;   // statements, with the dialect markers of schema.sql
};

// The built-in scripts, by version (2, 3, ...). Generated from db/migrations.
std::span<const Migration> Migrations();
// The version this program makes and needs.
int LatestSchemaVersion();

// The version of a database that has a schema.
int SchemaVersionOf(soci::session& session);

// Writes the version, creating ATE_VERSAO when missing; inside the caller's
// transaction.
void SetSchemaVersion(soci::session& session, int version);

// Runs every script of `migrations` whose version is above the database's,
// in order, each in its own transaction together with its version number:
// a failing script leaves the database whole at the version before it, and
// ScriptError is thrown. `applied` is told each version done. Two servers
// upgrading at once take turns; the second finds the work done.
void UpgradeSchema(soci::session& session, std::span<const Migration> migrations,
                   const std::function<void(const Migration&)>& applied = {});

// What a server says when it meets a database of another version; empty
// when `found` is `needed`.
std::string SchemaVersionRefusal(int found, int needed);

}  // namespace dbsession
