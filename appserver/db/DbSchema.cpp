#include "appserver/db/DbSchema.h"

#include <cctype>
#include <string>

#include "appserver/db/DbSession.h"
#include "appserver/db/SchemaVersion.h"
#include "appserver/db/SqlScript.h"

namespace dbsession {

namespace {

// Runs a script all or nothing.
void RunInTransaction(soci::session& session, std::string_view script) {
  session.begin();
  try {
    RunScript(session, script);
    session.commit();
  } catch (...) {
    session.rollback();
    throw;
  }
}

// Upper-cased, with every run of blanks made one space.
std::string Normalized(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

bool IsAddition(std::string_view statement) {
  const std::string text = Normalized(statement);
  for (std::string_view prefix : {"CREATE TABLE IF NOT EXISTS ", "CREATE INDEX IF NOT EXISTS "})
    if (text.compare(0, prefix.size(), prefix) == 0) return true;
  return false;
}

}  // namespace

bool HasTable(soci::session& session, const std::string& name) {
  std::string lower = name, upper = name;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  int count = 0;
  if (DialectOf(session) == Dialect::Sqlite) {
    session << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND UPPER(name) = :n", soci::use(upper),
        soci::into(count);
  } else {
    session << "SELECT COUNT(*) FROM information_schema.tables "
               "WHERE table_schema = current_schema() AND table_name = :n",
        soci::use(lower), soci::into(count);
  }
  return count > 0;
}

bool HasSchema(soci::session& session) { return HasTable(session, "PROPSERVICO"); }

void CreateSchema(soci::session& session) {
  session.begin();
  try {
    RunScript(session, SchemaSql());
    for (const Migration& m : Migrations()) RunScript(session, m.sql);
    SetSchemaVersion(session, LatestSchemaVersion());
    session.commit();
  } catch (...) {
    session.rollback();
    throw;
  }
}

void CreateSchemaVersion1(soci::session& session) { RunInTransaction(session, SchemaSql()); }

void AddMissingTables(soci::session& session) {
  const Dialect dialect = DialectOf(session);
  std::string additions;
  for (const ScriptStatement& st : SplitScript(SchemaSql())) {
    if (st.only && *st.only != dialect) continue;
    if (IsAddition(st.text)) additions += st.text + ";\n";
  }
  try {
    RunInTransaction(session, additions);
  } catch (const ScriptError&) {
    // Two servers starting at once on PostgreSQL may both find a table
    // missing and one of them then fails to create it; by now it is there.
    RunInTransaction(session, additions);
  }
}

bool HasData(soci::session& session) {
  int count = 0;
  session << "SELECT (SELECT COUNT(*) FROM FILIAL) + (SELECT COUNT(*) FROM COMPANHIA)", soci::into(count);
  return count > 0;
}

void LoadDemo(soci::session& session) { RunInTransaction(session, DemoSql()); }

}  // namespace dbsession
