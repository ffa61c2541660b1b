#include "framework/GeneralDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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
  const dbsession::Location location = dbsession::ParseUrl(url);
  std::unique_ptr<soci::session> session = dbsession::Open(location);
  dialect_ = QueryDialect(dbsession::DialectOf(*session));
  session_ = std::move(session);
  url_ = url;
  sqlitePath_ = location.dialect == dbsession::Dialect::Sqlite ? location.target : std::string();
  index_ = IndexIdentity();
}

void TGeneralConnection::Close() {
  session_.reset();
  url_.clear();
  sqlitePath_.clear();
  index_.reset();
  transactions_ = 0;  // closing ended them
  dialect_ = TSqlDialect::Default;
}

void TGeneralConnection::EndTransaction() {
  if (transactions_ > 0) --transactions_;
}

std::optional<TGeneralConnection::FileIdentity> TGeneralConnection::IndexIdentity() const {
  struct statx info {};
  if (::statx(AT_FDCWD, (sqlitePath_ + "-shm").c_str(), 0, STATX_INO | STATX_BTIME, &info) != 0)
    return std::nullopt;
  // A new file may get the inode number of a deleted one; its birth time,
  // where the file system keeps one, tells them apart.
  FileIdentity id{makedev(info.stx_dev_major, info.stx_dev_minor), info.stx_ino, 0, 0};
  if (info.stx_mask & STATX_BTIME) {
    id.bornSeconds = info.stx_btime.tv_sec;
    id.bornNanoseconds = info.stx_btime.tv_nsec;
  }
  return id;
}

void TGeneralConnection::Reopen() const {
  session_.reset();
  session_ = dbsession::Open(dbsession::ParseUrl(url_));
  index_ = IndexIdentity();
}

soci::session& TGeneralConnection::Session() const {
  if (!session_) throw std::logic_error("The database connection " + Name() + " is not open");
  if (!sqlitePath_.empty() && transactions_ == 0) {
    const std::optional<FileIdentity> now = IndexIdentity();
    if (!index_)
      index_ = now;  // made by this session's first read
    else if (now != index_)
      Reopen();
  }
  return *session_;
}

TGeneralTransaction::TGeneralTransaction(TGeneralConnection& connection, toolkit::Component* owner)
    : Component(owner), connection_(connection) {}

TGeneralTransaction::~TGeneralTransaction() {
  // A closed connection took its transaction with it.
  if (!active_ || !connection_.Connected()) return;
  // Taken while still counted, so that it is the transaction's session.
  soci::session& session = connection_.Session();
  connection_.EndTransaction();
  try {
    session.rollback();
  } catch (const soci::soci_error&) {
    // A destructor cannot report; the database drops a transaction whose
    // rollback failed when the session ends.
  }
}

void TGeneralTransaction::StartTransaction() {
  if (active_) throw std::logic_error("Transaction " + Name() + " is already active");
  connection_.Session().begin();
  active_ = true;
  ++connection_.transactions_;
}

void TGeneralTransaction::Commit() {
  if (!active_) throw std::logic_error("Transaction " + Name() + " is not active");
  // Still active when the commit fails, so that it is rolled back later.
  connection_.Session().commit();
  active_ = false;
  connection_.EndTransaction();
}

void TGeneralTransaction::Rollback() {
  if (!active_) throw std::logic_error("Transaction " + Name() + " is not active");
  active_ = false;
  soci::session& session = connection_.Session();
  connection_.EndTransaction();
  session.rollback();
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
