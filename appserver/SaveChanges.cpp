#include "appserver/SaveChanges.h"

#include <spdlog/spdlog.h>

#include <array>
#include <chrono>
#include <ctime>
#include <map>
#include <set>

#include "appserver/ChangeRecords.h"
#include "appserver/PropBinding.h"
#include "appserver/RangeRules.h"
#include "appserver/Replies.h"
#include "appserver/ServiceKey.h"
#include "appserver/SettledSaves.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;

const std::string kPk = kServiceKey + " AND QTPAXDE = :qtpaxde AND QTPAXATE = :qtpaxate";
const std::vector<Kind> kPkKinds{T, T, T, T, T, N, N};
const std::vector<Kind> kRowKinds{T, T, T, T, T, N, N, T, T, N};

// Statements without parameters are prepared too: on SQLite this keeps
// BEGIN and COMMIT from being parsed on every save.
const StatementDef kBegin{"BEGIN IMMEDIATE", {}};
const StatementDef kCommit{"COMMIT", {}};
const StatementDef kRollback{"ROLLBACK", {}};
// PostgreSQL only: writers queue up here, as BEGIN IMMEDIATE makes them on
// SQLite, so that two saves never both pass the overlap check. Readers are
// not held up.
const StatementDef kLock{"LOCK TABLE PROPSERVICO IN SHARE ROW EXCLUSIVE MODE", {}};

const StatementDef kFindRow{"SELECT CDCLASSE, CDCICLO, QTSERVICO FROM PROPSERVICO WHERE " + kPk, kPkKinds, {T, T, N}};
// The row goes, and what it held comes back for the check against what the
// user saw (a mismatch rolls the whole save back) and for the audit row.
const StatementDef kDelete{"DELETE FROM PROPSERVICO WHERE " + kPk + " RETURNING CDCLASSE, CDCICLO, QTSERVICO",
                           kPkKinds,
                           {T, T, N}};
const StatementDef kInsert{
    "INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, CDCICLO, "
    "QTSERVICO) VALUES (:filial, :cdcia, :nrvoo, :cdtrecho, :servico, :qtpaxde, :qtpaxate, :classe, :ciclo, "
    ":qtservico) ON CONFLICT DO NOTHING",
    kRowKinds};
const StatementDef kUpdate{
    "UPDATE PROPSERVICO SET CDFILIAL = :nfilial, CDCIA = :ncdcia, NRVOO = :nnrvoo, CDTRECHO = :ncdtrecho, "
    "CDSERVICO = :nservico, QTPAXDE = :nqtpaxde, QTPAXATE = :nqtpaxate, CDCLASSE = :nclasse, CDCICLO = :nciclo, "
    "QTSERVICO = :nqtservico WHERE " +
        kPk,
    {T, T, T, T, T, N, N, T, T, N, T, T, T, T, T, N, N}};
const StatementDef kServiceRanges{
    "SELECT QTPAXDE, QTPAXATE FROM PROPSERVICO WHERE " + kServiceKey,
    {T, T, T, T, T},
    {N, N}};
const StatementDef kLeg{
    "SELECT CDTRECHO FROM TRECHO WHERE CDFILIAL = :filial AND CDCIA = :cdcia AND NRVOO = :nrvoo AND CDTRECHO = :tr",
    {T, T, T, T},
    {T}};
const StatementDef kService{
    "SELECT CDCLASSE, CDCICLO FROM PRODUTO WHERE CDCIA = :cdcia AND CDPRODUTO = :servico AND IDPRODCOMISS = '1'",
    {T, T},
    {T, T}};
const StatementDef kClass{"SELECT CDCLASSE FROM CLASSE WHERE CDCLASSE = :classe", {T}, {T}};
const StatementDef kCycle{"SELECT CDCICLO FROM CICLO WHERE CDCICLO = :ciclo", {T}, {T}};

using ServiceId = std::array<std::string, 5>;

ServiceId ServiceOf(const PropRow& r) { return {r.filial, r.cia, r.voo, r.trecho, r.servico}; }

bool SameKey(const PropRow& a, const PropRow& b) {
  return ServiceOf(a) == ServiceOf(b) && a.de == b.de && a.ate == b.ate;
}

std::string Join(std::initializer_list<std::string_view> parts) {
  std::string key;
  for (std::string_view p : parts) key.append(p).push_back('\x1f');
  return key;
}

std::string RangeText(const PropRow& r) {
  return "de " + NumberText(r.de.value_or(0)) + " a " + NumberText(r.ate.value_or(0)) + " passageiros";
}

class Saver {
 public:
  Saver(Connection& c, const std::string& user, LogOrigin origin)
      : c_(c), user_(user), origin_(origin), now_(UtcTimestamp(std::chrono::system_clock::now())) {}

  // identity: null for a save without one.
  void Run(const std::vector<PropChange>& changes, const SaveIdentity* identity) {
    try {
      Begin();
      if (identity && !ClaimSave(c_, identity->id, now_)) return Rollback();  // stored already: not twice
      // Early, so a save already too late does no work; again just before
      // the commit, which is the check that counts.
      if (identity) CheckDeadline(*identity);
      log_.reserve(changes.size());
      for (std::size_t i = 0; i < changes.size(); ++i) Apply(changes[i], i);
      CheckOverlaps();
      WriteAuditLog(c_, log_, now_, user_, origin_);
      if (identity) CheckDeadline(*identity);
      doing_ = Doing::Committing;
      Prepared(kCommit).ExecuteOne();
    } catch (...) {
      // Asked before the rollback, which may fail on a dead session too.
      broken_ = c_.Broken();
      if (began_) Rollback();
      throw;
    }
  }

  // Saving until the commit was sent, then Committing.
  Doing WhatFailed() const { return doing_; }
  bool Broken() const { return broken_; }
  // The connection may still be inside a transaction.
  bool MustDiscard() const { return mustDiscard_; }

 private:
  Statement& Prepared(const StatementDef& def) { return c_.Prepared(def); }

  void Begin() {
    if (c_.Dialect() == dbsession::Dialect::Sqlite) {
      Prepared(kBegin).ExecuteOne();
      began_ = true;
    } else {
      c_.Session().begin();
      began_ = true;
      Prepared(kLock).ExecuteOne();
    }
  }

  // A connection whose transaction cannot be closed is given up, so that the
  // next call does not run inside it; the error that got us here is the one
  // reported.
  void Rollback() {
    try {
      if (c_.Dialect() == dbsession::Dialect::Sqlite)
        Prepared(kRollback).ExecuteOne();
      else
        c_.Session().rollback();
    } catch (const soci::soci_error& e) {
      spdlog::warn("SetQtdePropServico: rollback failed, dropping the connection: {}", e.what());
      mustDiscard_ = true;
    }
  }

  void Apply(const PropChange& change, std::size_t i) {
    switch (change.op) {
      case packet::ChangeOp::Insert:
        return Insert(change.after, i);
      case packet::ChangeOp::Modify:
        return Modify(change.before, change.after, i);
      case packet::ChangeOp::Delete:
        return Delete(change.before, i);
    }
  }

  void Insert(PropRow row, std::size_t i) {
    CheckNew(row, i);
    Statement& st = Prepared(kInsert);
    BindRow(st, 0, &row);
    st.ExecuteOne();
    if (st.AffectedRows() == 0) Duplicate(row, i);
    touched_.insert(ServiceOf(row));
    Log('I', nullptr, &row);
  }

  void Modify(const PropRow& before, PropRow row, std::size_t i) {
    const PropRow stored = FindStored(before, i, "modify");
    CheckNew(row, i);
    if (!SameKey(before, row) && Exists(row)) Duplicate(row, i);
    Statement& st = Prepared(kUpdate);
    BindRow(st, 0, &row);
    BindKey(st, 10, before);
    st.ExecuteOne();
    touched_.insert(ServiceOf(row));
    Log('A', &stored, &row);
  }

  void Delete(const PropRow& before, std::size_t i) {
    if (!before.de || !before.ate) Conflict(before, i, "delete");
    Statement& st = Prepared(kDelete);
    BindKey(st, 0, before);
    if (!st.ExecuteOne()) Conflict(before, i, "delete");
    const PropRow stored = StoredValues(st, before);
    if (!SameValues(stored, before)) Conflict(before, i, "delete");
    Log('E', &stored, nullptr);
  }

  // The stored row with the key of `before`, which must still hold every
  // value the user saw: a save made from an older reading must not undo
  // another user's change of any column.
  PropRow FindStored(const PropRow& before, std::size_t i, const char* op) {
    if (before.de && before.ate) {
      Statement& st = Prepared(kFindRow);
      BindKey(st, 0, before);
      if (st.ExecuteOne()) {
        PropRow stored = StoredValues(st, before);
        if (SameValues(stored, before)) return stored;
      }
    }
    Conflict(before, i, op);
  }

  // The key of `key` with the class, cycle and quantity in columns 0 to 2.
  static PropRow StoredValues(const Statement& st, const PropRow& key) {
    PropRow stored = key;
    stored.classe = st.IsNull(0) ? std::nullopt : std::optional<std::string>(st.Text(0));
    stored.ciclo = st.IsNull(1) ? std::nullopt : std::optional<std::string>(st.Text(1));
    stored.qtservico = st.IsNull(2) ? std::nullopt : std::optional<double>(st.Number(2));
    return stored;
  }

  // Blank and null codes are one value to the user.
  static bool SameCode(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    const bool blankA = !a || IsBlank(*a), blankB = !b || IsBlank(*b);
    return blankA || blankB ? blankA == blankB : *a == *b;
  }

  static bool SameValues(const PropRow& stored, const PropRow& seen) {
    return SameCode(stored.classe, seen.classe) && SameCode(stored.ciclo, seen.ciclo) &&
           stored.qtservico == seen.qtservico;
  }

  [[noreturn]] static void Conflict(const PropRow& before, std::size_t i, const char* op) {
    throw rpc::RpcError(rpc::kConflict,
                        "A proporção " + RangeText(before) +
                            " foi alterada ou excluída por outro usuário. Recarregue os dados e tente novamente.",
                        ErrorData({{"change", static_cast<double>(i)}, {"op", std::string(op)}}));
  }

  bool Exists(const PropRow& row) {
    Statement& st = Prepared(kFindRow);
    BindKey(st, 0, row);
    return st.ExecuteOne();
  }

  // Bounds, then references; fills a blank class or cycle from the product.
  void CheckNew(PropRow& row, std::size_t i) {
    if (auto problem = BoundsProblem(row.de, row.ate, row.qtservico)) Rule(*problem, i);
    if (!LegExists(row)) {
      Unknown("Voo " + row.voo + ", trecho " + row.trecho + " não cadastrado para a filial e a companhia informadas.",
              i);
    }
    const std::optional<Product>& product = ProductOf(row);
    if (!product) Unknown("Serviço " + row.servico + " não cadastrado para a companhia informada.", i);
    if (!row.classe || IsBlank(*row.classe)) row.classe = product->classe;
    if (!row.ciclo || IsBlank(*row.ciclo)) row.ciclo = product->ciclo;
    if (row.classe && !CodeExists(kClass, classes_, *row.classe))
      Unknown("Classe " + *row.classe + " não cadastrada.", i);
    if (row.ciclo && !CodeExists(kCycle, cycles_, *row.ciclo)) Unknown("Ciclo " + *row.ciclo + " não cadastrado.", i);
  }

  struct Product {
    std::optional<std::string> classe, ciclo;
  };

  bool LegExists(const PropRow& r) {
    const auto [it, fresh] = legs_.try_emplace(Join({r.filial, r.cia, r.voo, r.trecho}), false);
    if (fresh) {
      Statement& st = Prepared(kLeg);
      st.SetText(0, r.filial);
      st.SetText(1, r.cia);
      st.SetText(2, r.voo);
      st.SetText(3, r.trecho);
      it->second = st.ExecuteOne();
    }
    return it->second;
  }

  const std::optional<Product>& ProductOf(const PropRow& r) {
    const auto [it, fresh] = products_.try_emplace(Join({r.cia, r.servico}));
    if (fresh) {
      Statement& st = Prepared(kService);
      st.SetText(0, r.cia);
      st.SetText(1, r.servico);
      if (st.ExecuteOne()) {
        it->second = Product{st.IsNull(0) || IsBlank(st.Text(0)) ? std::nullopt : std::optional(st.Text(0)),
                             st.IsNull(1) || IsBlank(st.Text(1)) ? std::nullopt : std::optional(st.Text(1))};
      }
    }
    return it->second;
  }

  bool CodeExists(const StatementDef& def, std::map<std::string, bool>& cache, const std::string& code) {
    const auto [it, fresh] = cache.try_emplace(code, false);
    if (fresh) {
      Statement& st = Prepared(def);
      st.SetText(0, code);
      it->second = st.ExecuteOne();
    }
    return it->second;
  }

  void CheckOverlaps() {
    for (const ServiceId& s : touched_) {
      Statement& st = Prepared(kServiceRanges);
      for (std::size_t k = 0; k < s.size(); ++k) st.SetText(k, s[k]);
      std::vector<PaxRange> ranges;
      for (bool more = st.Execute(); more; more = st.Next()) ranges.push_back({st.Number(0), st.Number(1)});
      st.Release();
      if (const auto overlap = FindOverlap(std::move(ranges))) {
        const auto& [a, b] = *overlap;
        throw rpc::RpcError(rpc::kRuleViolated,
                            "Um intervalo de passageiros não pode sobrepor outro: " + NumberText(a.from) + " a " +
                                NumberText(a.to) + " e " + NumberText(b.from) + " a " + NumberText(b.to) +
                                " (serviço " + s[4] + ").",
                            ErrorData({{"service", s[4]}}));
      }
    }
  }

  // Noted now, written after the overlap check in the order of the changes.
  void Log(char op, const PropRow* before, const PropRow* after) {
    LogEntry& e = log_.emplace_back();
    e.op = op;
    if (before) e.before = *before;
    if (after) e.after = *after;
  }

  [[noreturn]] void Duplicate(const PropRow& row, std::size_t i) {
    Rule("Proporção já cadastrada para este serviço (" + RangeText(row) + ").", i);
  }

  [[noreturn]] static void Rule(const std::string& text, std::size_t i) {
    throw rpc::RpcError(rpc::kRuleViolated, text, ErrorData({{"change", static_cast<double>(i)}}));
  }

  [[noreturn]] static void Unknown(const std::string& text, std::size_t i) {
    throw rpc::RpcError(rpc::kUnknownReference, text, ErrorData({{"change", static_cast<double>(i)}}));
  }

  Connection& c_;
  std::string user_;
  LogOrigin origin_;
  std::string now_;
  std::vector<LogEntry> log_;
  std::set<ServiceId> touched_;
  std::map<std::string, bool> legs_, classes_, cycles_;
  std::map<std::string, std::optional<Product>> products_;
  Doing doing_ = Doing::Saving;
  bool began_ = false;
  bool broken_ = false;
  bool mustDiscard_ = false;
};

// Saves wait in the server's queue for the one before them: one that waited
// longer than a lock may is refused, as one that waited on the lock is.
void RefuseWhenQueuedTooLong(const Database& db, const rpc::Request& request) {
  const auto waited = std::chrono::steady_clock::now() - request.received;
  if (request.received.time_since_epoch().count() == 0 || waited <= db.Options().lockTimeout) return;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(waited).count();
  ThrowStorageFailure(std::runtime_error("waited " + std::to_string(ms) + " ms in the save queue"), Trouble::Busy,
                      Doing::Saving);
}

// A save that failed before its commit stored nothing; when its session
// had died under it (a database restart), it runs once more on a fresh
// one. A commit that failed on a dead session may have been stored: that
// save is never repeated here, the client settles it by its identity.
void Save(Database& db, const std::vector<PropChange>& changes, const SaveIdentity* identity, const std::string& user,
          LogOrigin origin) {
  for (bool retried = false;; retried = true) {
    std::optional<Saver> saver;
    try {
      saver.emplace(db.Local(), user, origin);
      saver->Run(changes, identity);
      return;
    } catch (const soci::soci_error& e) {
      const Trouble trouble = Classify(e, saver ? saver->Broken() : false);
      const Doing doing = saver ? saver->WhatFailed() : Doing::Saving;
      db.Discard();
      if (trouble == Trouble::Broken && doing == Doing::Saving && !retried) continue;
      ThrowStorageFailure(e, trouble, doing);
    } catch (...) {
      if (saver && saver->MustDiscard()) db.Discard();
      throw;
    }
  }
}

}  // namespace

void StoreChanges(Database& db, const rpc::Request& request, const std::vector<PropChange>& changes,
                  const std::string& user, LogOrigin origin) {
  RefuseWhenQueuedTooLong(db, request);
  Save(db, changes, nullptr, user, origin);
}

rpc::Reply SetQtdePropServico(Database& db, const rpc::Request& request, const rpc::Session& session) {
  rpc::ExpectParamCount(request, 1, 3);
  const std::vector<PropChange> changes = ReadChanges(rpc::ObjectParam(request, 0));
  const std::optional<SaveIdentity> identity = ReadSaveIdentity(request, 1);
  if (!changes.empty() || identity) {
    RefuseWhenQueuedTooLong(db, request);
    Save(db, changes, identity ? &*identity : nullptr, session.user, LogOrigin::Screen);
  }
  if (identity) ForgetOldSavesNowAndThen(db);
  return rpc::Reply{};
}

}  // namespace appserver
