#include "framework/GeneralDatabase.h"

#include <stdexcept>

#include "appserver/db/DbSession.h"
#include "appserver/db/Soci.h"

namespace framework {

TdtmDBGeral* dtmDBGeral = nullptr;

TGeneralConnection::TGeneralConnection(toolkit::Component* owner) : Component(owner) {}

TGeneralConnection::~TGeneralConnection() = default;

namespace {

// Both databases we run on take the default text: NVL exists on both
// (registered on SQLite connections, created by the PostgreSQL schema).
TSqlDialect QueryDialect(dbsession::Dialect dialect) {
  switch (dialect) {
    case dbsession::Dialect::Sqlite:
    case dbsession::Dialect::Postgresql:
      return TSqlDialect::Default;
  }
  throw std::logic_error("Unknown database dialect");
}

}  // namespace

void TGeneralConnection::Open(const std::string& url) {
  std::unique_ptr<soci::session> session = dbsession::Open(dbsession::ParseUrl(url));
  dialect_ = QueryDialect(dbsession::DialectOf(*session));
  session_ = std::move(session);
  url_ = url;
}

void TGeneralConnection::Close() {
  session_.reset();
  url_.clear();
  dialect_ = TSqlDialect::Default;
}

soci::session& TGeneralConnection::Session() const {
  if (!session_) throw std::logic_error("The database connection " + Name() + " is not open");
  return *session_;
}

TGeneralTransaction::TGeneralTransaction(TGeneralConnection& connection, toolkit::Component* owner)
    : Component(owner), connection_(connection) {}

TGeneralTransaction::~TGeneralTransaction() {
  // A closed connection took its transaction with it.
  if (!active_ || !connection_.Connected()) return;
  try {
    connection_.Session().rollback();
  } catch (const soci::soci_error&) {
    // A destructor cannot report; the database drops a transaction whose
    // rollback failed when the session ends.
  }
}

void TGeneralTransaction::StartTransaction() {
  if (active_) throw std::logic_error("Transaction " + Name() + " is already active");
  connection_.Session().begin();
  active_ = true;
}

void TGeneralTransaction::Commit() {
  if (!active_) throw std::logic_error("Transaction " + Name() + " is not active");
  // Still active when the commit fails, so that it is rolled back later.
  connection_.Session().commit();
  active_ = false;
}

void TGeneralTransaction::Rollback() {
  if (!active_) throw std::logic_error("Transaction " + Name() + " is not active");
  active_ = false;
  connection_.Session().rollback();
}

TdtmDBGeral::TdtmDBGeral() {
  SetName("dtmDBGeral");
  adcGeral = new TGeneralConnection(this);
  adcGeral->SetName("adcGeral");
  dtbGeral = adcGeral;
  ibtGeral = new TGeneralTransaction(*adcGeral, this);
  ibtGeral->SetName("ibtGeral");
}

TdtmDBGeral::~TdtmDBGeral() {
  if (dtmDBGeral == this) dtmDBGeral = nullptr;
}

}  // namespace framework
