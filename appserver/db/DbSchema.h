#pragma once
// The schema and the demo data, built into the library from db/schema.sql
// and db/demo.sql.

#include <string>
#include <string_view>

#include "appserver/db/Soci.h"

namespace dbsession {

std::string_view SchemaSql();
std::string_view DemoSql();

// True when the database holds a table of that name (unquoted, so in any
// case).
bool HasTable(soci::session& session, const std::string& name);

// True when the database holds the table PROPSERVICO (the schema is created
// in one transaction, so one table stands for all).
bool HasSchema(soci::session& session);

// Creates every table (and, on PostgreSQL, the NVL functions) at the latest
// schema version, in one transaction. Throws ScriptError when a statement
// fails (a table already there, for one); nothing is created then.
void CreateSchema(soci::session& session);
// The same at version 1, as databases were made before versions: for the
// tests of upgrades.
void CreateSchemaVersion1(soci::session& session);

// Runs, in one transaction, the statements of the schema written CREATE
// TABLE / CREATE INDEX IF NOT EXISTS: what was added to the schema after
// older databases were made from it. Harmless on a database that has them.
// Throws ScriptError when a statement fails; nothing is added then.
void AddMissingTables(soci::session& session);

// True when any branch or airline is stored.
bool HasData(soci::session& session);

// Loads the demo data in one transaction. Throws ScriptError when a statement
// fails; nothing is loaded then.
void LoadDemo(soci::session& session);

}  // namespace dbsession
