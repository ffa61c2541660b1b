#include "appserver/db/SchemaVersion.h"

#include <stdexcept>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "appserver/db/SqlScript.h"

namespace dbsession {

namespace {

// Applies one script with its version, unless another server did it first.
void Apply(soci::session& session, const Migration& m, const std::function<void(const Migration&)>& applied) {
  session.begin();
  try {
    // Upgrades from several servers at once wait for each other here.
    if (DialectOf(session) == Dialect::Postgresql) session << "SELECT pg_advisory_xact_lock(11600)";
    else {
      // A write takes SQLite's write lock, which the reads below then hold.
      session << "CREATE TABLE IF NOT EXISTS ATE_VERSAO (VERSAO INTEGER NOT NULL)";
      session << "UPDATE ATE_VERSAO SET VERSAO = VERSAO";
    }
    if (SchemaVersionOf(session) >= m.version) {
      session.rollback();
      return;
    }
    RunScript(session, m.sql);
    SetSchemaVersion(session, m.version);
    session.commit();
  } catch (...) {
    session.rollback();
    throw;
  }
  if (applied) applied(m);
}

}  // namespace

int LatestSchemaVersion() {
  const std::span<const Migration> all = Migrations();
  int version = 1;
  for (const Migration& m : all) {
    if (m.version != version + 1)
      throw std::logic_error("schema scripts out of sequence: " + std::string(m.name) + " after version " +
                             std::to_string(version));
    version = m.version;
  }
  return version;
}

int SchemaVersionOf(soci::session& session) {
  if (!HasTable(session, "ATE_VERSAO")) return 1;
  soci::indicator ind = soci::i_null;
  int version = 1;
  session << "SELECT MAX(VERSAO) FROM ATE_VERSAO", soci::into(version, ind);
  return ind == soci::i_ok ? version : 1;
}

void SetSchemaVersion(soci::session& session, int version) {
  session << "CREATE TABLE IF NOT EXISTS ATE_VERSAO (VERSAO INTEGER NOT NULL)";
  session << "DELETE FROM ATE_VERSAO";
  session << "INSERT INTO ATE_VERSAO (VERSAO) VALUES (:v)", soci::use(version);
}

void UpgradeSchema(soci::session& session, std::span<const Migration> migrations,
                   const std::function<void(const Migration&)>& applied) {
  for (const Migration& m : migrations)
    if (m.version > SchemaVersionOf(session)) Apply(session, m, applied);
}

std::string SchemaVersionRefusal(int found, int needed) {
  const std::string at = "the database is at schema version " + std::to_string(found);
  if (found < needed)
    return at + ", this server needs " + std::to_string(needed) +
           "; stop every app server, back it up and run once with --upgrade-db";
  if (found > needed)
    return at + ", newer than this server's " + std::to_string(needed) +
           "; run the app server that upgraded it (or a newer one)";
  return {};
}

}  // namespace dbsession
