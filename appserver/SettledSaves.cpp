#include "appserver/SettledSaves.h"

#include <spdlog/spdlog.h>

#include <atomic>
#include <cmath>

#include "appserver/Replies.h"
#include "rpc/Dispatcher.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr std::size_t kIdSize = 40;

// ON CONFLICT DO NOTHING: the loser of a race for the key sees no row
// inserted instead of an error that would end its transaction.
const StatementDef kClaim{
    "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES (:id, 'G', :dt) ON CONFLICT DO NOTHING",
    {T, T}};
const StatementDef kGiveUp{
    "INSERT INTO ATE_GRAVACAO (IDGRAVACAO, IDSITUACAO, DTGRAVACAO) VALUES (:id, 'D', :dt) ON CONFLICT DO NOTHING",
    {T, T}};
const StatementDef kSituation{"SELECT IDSITUACAO FROM ATE_GRAVACAO WHERE IDGRAVACAO = :id", {T}, {T}};
const StatementDef kForget{"DELETE FROM ATE_GRAVACAO WHERE DTGRAVACAO < :cutoff", {T}};

bool IsIdCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

char Situation(Connection& c, const std::string& id) {
  Statement& st = c.Prepared(kSituation);
  st.SetText(0, id);
  if (!st.ExecuteOne() || st.IsNull(0) || st.Text(0).empty())
    throw std::logic_error("ATE_GRAVACAO: no situation for a save just recorded");
  return st.Text(0)[0];
}

[[noreturn]] void TooLate(const std::string& text, const char* reason) {
  throw rpc::RpcError(rpc::kSaveTooLate, text, ErrorData({{"reason", std::string(reason)}}));
}

}  // namespace

std::optional<SaveIdentity> ReadSaveIdentity(const rpc::Request& request, std::size_t at) {
  if (request.params.size() <= at) return std::nullopt;
  SaveIdentity identity;
  identity.id = rpc::StringParam(request, at);
  bool sound = !identity.id.empty() && identity.id.size() <= kIdSize;
  for (char c : identity.id) sound = sound && IsIdCharacter(c);
  if (!sound) {
    throw rpc::RpcError(rpc::kInvalidParams, request.method + ": argument " + std::to_string(at + 1) +
                                                 " must be 1 to 40 letters, digits or '-' (the save's identity)");
  }
  if (request.params.size() > at + 1) {
    const double deadline = rpc::NumberParam(request, at + 1);
    if (!std::isfinite(deadline)) {
      throw rpc::RpcError(rpc::kInvalidParams,
                          request.method + ": argument " + std::to_string(at + 2) + " must be a finite number");
    }
    identity.deadlineMs = deadline;
  }
  return identity;
}

bool ClaimSave(Connection& c, const std::string& id, const std::string& now) {
  Statement& st = c.Prepared(kClaim);
  st.SetText(0, id);
  st.SetText(1, now);
  st.ExecuteOne();
  if (st.AffectedRows() == 1) return true;
  if (Situation(c, id) == 'G') return false;
  TooLate("A alteração não foi gravada: ela já tinha sido dada como não gravada, pois a resposta não chegou a tempo. "
          "Confirme-a novamente.",
          "given up");
}

void CheckDeadline(const SaveIdentity& identity) {
  if (!identity.deadlineMs) return;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  if (static_cast<double>(now.count()) <= *identity.deadlineMs) return;
  TooLate("A alteração não foi gravada: o prazo para gravá-la terminou antes que o servidor a concluísse. "
          "Confirme-a novamente.",
          "deadline");
}

char SettleSave(Connection& c, const std::string& id, const std::string& now) {
  // Two statements, no transaction: rows are only ever inserted (and
  // forgotten after weeks), so nothing can change between them.
  Statement& st = c.Prepared(kGiveUp);
  st.SetText(0, id);
  st.SetText(1, now);
  st.ExecuteOne();
  return Situation(c, id);
}

void ForgetSettledSaves(Connection& c, const std::string& cutoff) {
  Statement& st = c.Prepared(kForget);
  st.SetText(0, cutoff);
  st.ExecuteOne();
}

void ForgetOldSavesNowAndThen(Database& db) {
  using Clock = std::chrono::steady_clock;
  static std::atomic<Clock::rep> next{0};
  const Clock::rep now = Clock::now().time_since_epoch().count();
  Clock::rep due = next.load();
  if (now < due) return;
  const Clock::rep later = (Clock::now() + std::chrono::hours(1)).time_since_epoch().count();
  // One thread of the process takes the turn.
  if (!next.compare_exchange_strong(due, later)) return;
  try {
    ForgetSettledSaves(db.Local(), UtcTimestamp(std::chrono::system_clock::now() - kSettledSavesKept));
  } catch (const soci::soci_error& e) {
    spdlog::warn("ATE_GRAVACAO: old rows not deleted (tried again in an hour): {}", e.what());
    db.Discard();
  }
}

}  // namespace appserver
