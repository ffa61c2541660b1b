#pragma once
// The host's general data module: the database connection that the
// screens' read-only lookups run on.
#include <memory>
#include <optional>
#include <string>
#include "toolkit/controls/Component.h"

namespace soci { class session; }

namespace framework {

// SQL dialects a query may carry its own text for. SQLite and PostgreSQL
// run the default text.
enum class TSqlDialect { Default, Oracle, MSSQL, InterBase };

// A database connection of the general database.
class TGeneralConnection : public toolkit::Component {
 public:
  explicit TGeneralConnection(toolkit::Component* owner = nullptr);
  ~TGeneralConnection() override;

  // Opens the database at a dbsession URL (sqlite:PATH or a PostgreSQL
  // connection string). Throws with the driver's text when it cannot.
  void Open(const std::string& url);
  void Close();
  bool Connected() const { return session_ != nullptr; }
  const std::string& Url() const { return url_; }
  TSqlDialect Dialect() const { return dialect_; }
  // Throws std::logic_error naming the connection when it is not open.
  // An SQLite session outside a transaction is opened anew first when the
  // file's shared-memory index is no longer the one it mapped: another
  // opener of the file in this process drops the process's locks, a
  // server then deleting the index would leave this session reading a
  // frozen state for good.
  soci::session& Session() const;

 private:
  friend class TGeneralTransaction;
  struct FileIdentity {
    unsigned long long device = 0, inode = 0;
    long long bornSeconds = 0, bornNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
  };
  std::optional<FileIdentity> IndexIdentity() const;
  void Reopen() const;
  void EndTransaction();

  // Mutable: Session() renews a stale session behind its callers' backs.
  mutable std::unique_ptr<soci::session> session_;
  std::string url_;
  std::string sqlitePath_;
  mutable std::optional<FileIdentity> index_;
  int transactions_ = 0;
  TSqlDialect dialect_ = TSqlDialect::Default;
};

// A read transaction on the connection, for lookups that must see one
// state of the database. Rolled back on destruction unless committed.
class TGeneralTransaction : public toolkit::Component {
 public:
  explicit TGeneralTransaction(TGeneralConnection& connection, toolkit::Component* owner = nullptr);
  ~TGeneralTransaction() override;
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const { return active_; }

 private:
  TGeneralConnection& connection_;
  bool active_ = false;
};

// The general data module: adcGeral is the connection, dtbGeral the same
// database under the name the InterBase-style queries use, ibtGeral its
// transaction.
class TdtmDBGeral : public toolkit::Component {
 public:
  TdtmDBGeral();
  ~TdtmDBGeral() override;
  TGeneralConnection* adcGeral;
  TGeneralConnection* dtbGeral;  // the same object as adcGeral
  TGeneralTransaction* ibtGeral;
};

// The host's data module; nullptr until the host has opened it.
extern TdtmDBGeral* dtmDBGeral;

}  // namespace framework
