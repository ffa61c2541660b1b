#include "appserver/db/DbSchema.h"

#include "appserver/db/DbSession.h"
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

}  // namespace

bool HasSchema(soci::session& session) {
  int count = 0;
  if (DialectOf(session) == Dialect::Sqlite) {
    session << "SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND UPPER(name) = 'PROPSERVICO'",
        soci::into(count);
  } else {
    session << "SELECT COUNT(*) FROM information_schema.tables "
               "WHERE table_schema = current_schema() AND table_name = 'propservico'",
        soci::into(count);
  }
  return count > 0;
}

void CreateSchema(soci::session& session) { RunInTransaction(session, SchemaSql()); }

bool HasData(soci::session& session) {
  int count = 0;
  session << "SELECT (SELECT COUNT(*) FROM FILIAL) + (SELECT COUNT(*) FROM COMPANHIA)", soci::into(count);
  return count > 0;
}

void LoadDemo(soci::session& session) { RunInTransaction(session, DemoSql()); }

}  // namespace dbsession
