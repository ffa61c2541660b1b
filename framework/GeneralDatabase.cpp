#include "framework/GeneralDatabase.h"

#include <stdexcept>

#include "appserver/db/DbSession.h"

namespace framework {

TdtmDBGeral* dtmDBGeral = nullptr;

TGeneralConnection::TGeneralConnection(toolkit::Component* owner) : Component(owner) {}

TGeneralConnection::~TGeneralConnection() = default;

void TGeneralConnection::Open(const std::string& url) {
  const dbsession::Location where = dbsession::ParseUrl(url);
  session_ = dbsession::Open(where);
  url_ = url;
  // Both databases we run on take the default text (NVL exists on both).
  dialect_ = TSqlDialect::Default;
}

void TGeneralConnection::Close() {
  session_.reset();
  url_.clear();
}

soci::session& TGeneralConnection::Session() const {
  if (!session_) throw std::logic_error("The database connection " + Name() + " is not open");
  return *session_;
}

TGeneralTransaction::TGeneralTransaction(TGeneralConnection& connection, toolkit::Component* owner)
    : Component(owner), connection_(connection) {}

TGeneralTransaction::~TGeneralTransaction() {
  if (!active_) return;
  try {
    connection_.Session().rollback();
  } catch (const std::exception&) {
    // A connection lost under the transaction has rolled it back already.
  }
}

void TGeneralTransaction::StartTransaction() {
  if (active_) throw std::logic_error("Transaction " + Name() + " is already active");
  connection_.Session().begin();
  active_ = true;
}

void TGeneralTransaction::Commit() {
  if (!active_) throw std::logic_error("Transaction " + Name() + " is not active");
  active_ = false;
  connection_.Session().commit();
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
