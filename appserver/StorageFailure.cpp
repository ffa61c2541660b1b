#include "appserver/StorageFailure.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include "appserver/Replies.h"
#include "rpc/ErrorReference.h"

namespace appserver {

namespace {

constexpr int kSqliteBusy = 5, kSqliteLocked = 6;

Trouble ClassifyPostgresql(const std::string& state) {
  // lock_not_available (lock_timeout), query_canceled (statement_timeout),
  // deadlock_detected, serialization_failure.
  if (state == "55P03" || state == "57014" || state == "40P01" || state == "40001") return Trouble::Busy;
  // Connection exceptions; the server shut down or is starting.
  if (state.starts_with("08") || state == "57P01" || state == "57P02" || state == "57P03") return Trouble::Broken;
  return Trouble::Other;
}

std::string MessageFor(Trouble trouble, Doing doing) {
  if (trouble == Trouble::Busy && doing == Doing::Reading)
    return "O banco de dados está ocupado e não respondeu a tempo. Tente novamente em instantes.";
  if (trouble == Trouble::Busy && doing == Doing::Saving)
    return "O banco de dados está ocupado com outra gravação e não atendeu esta a tempo. Nada foi gravado; tente "
           "novamente em instantes.";
  if (doing == Doing::Committing && trouble != Trouble::Other)
    return "A conexão com o banco de dados foi interrompida durante a gravação; não se sabe se a alteração foi "
           "gravada.";
  return "Falha ao acessar o banco de dados. Tente novamente; se o erro persistir, avise o suporte.";
}

int CodeFor(Trouble trouble, Doing doing) {
  if (doing == Doing::Committing && trouble != Trouble::Other) return rpc::kSaveOutcomeUnknown;
  if (trouble == Trouble::Busy) return rpc::kStorageBusy;
  return rpc::kStorageFailure;
}

}  // namespace

Trouble Classify(const soci::soci_error& e, bool sessionBroken) {
  if (sessionBroken) return Trouble::Broken;
  if (const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&e)) return ClassifyPostgresql(pg->sqlstate());
  if (const auto* lite = dynamic_cast<const soci::sqlite3_soci_error*>(&e)) {
    const int primary = lite->result() & 0xff;
    if (primary == kSqliteBusy || primary == kSqliteLocked) return Trouble::Busy;
  }
  return Trouble::Other;
}

StorageFailure::StorageFailure(int code, const std::string& message, std::string reference, std::string cause)
    : rpc::RpcError(code, message, ErrorData({{"ref", reference}})),
      reference_(std::move(reference)),
      cause_(std::move(cause)) {}

void ThrowStorageFailure(const std::exception& cause, Trouble trouble, Doing doing) {
  std::string reference = rpc::NewErrorReference();
  throw StorageFailure(CodeFor(trouble, doing),
                       MessageFor(trouble, doing) + " Referência do erro: " + reference + ".", reference, cause.what());
}

}  // namespace appserver
