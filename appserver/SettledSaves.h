#pragma once
// Saves that carry an identity, and the table that settles them.
//
// A client that lost the answer of a save cannot tell whether it was
// stored. So a save may carry an identity and a deadline (trailing
// arguments of SetQtdePropServico): its transaction records the identity in
// ATE_GRAVACAO as stored ('G') and commits only before the deadline. Asked
// about an identity it has not recorded, the server records it as given up
// ('D'). The identity is the table's key, so only one of the two is ever
// written: once a client was told "not stored", that save can no longer be
// stored, and "stored" was true when it was said.
//
// The deadline is the client's wall clock; the server compares it with its
// own, so it is only as exact as the two clocks agree. The key, not the
// deadline, is what keeps the answers true.

#include <chrono>
#include <optional>
#include <string>

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

struct SaveIdentity {
  std::string id;                    // 1 to 40 letters, digits or '-'
  std::optional<double> deadlineMs;  // wall-clock milliseconds since 1970 (UTC)
};

// Rows are forgotten after this long; a client asking later about a save
// is told it was not stored.
inline constexpr std::chrono::hours kSettledSavesKept{24 * 30};

// The identity and deadline given at positions at and at+1 of the request,
// when there; none when the request ends before them. Throws RpcError
// kInvalidParams for an identity that is not 1 to 40 letters, digits or
// '-', or a deadline that is not a number.
std::optional<SaveIdentity> ReadSaveIdentity(const rpc::Request& request, std::size_t at);

// Inside the save's transaction: records the identity as stored, dated now.
// False when it was recorded stored before (the save is being repeated and
// must not be stored twice). Throws RpcError kSaveTooLate when it was given
// up. On PostgreSQL it waits for a transaction recording the same identity.
bool ClaimSave(Connection& c, const std::string& id, const std::string& now);

// Throws RpcError kSaveTooLate when the deadline has passed by this
// server's clock.
void CheckDeadline(const SaveIdentity& identity);

// Outside any transaction: what became of the save, 'G' or 'D', recording
// it as given up (dated now) when nothing was recorded. Waits for a save
// holding the identity in its transaction to end.
char SettleSave(Connection& c, const std::string& id, const std::string& now);

// Deletes the rows dated before cutoff.
void ForgetSettledSaves(Connection& c, const std::string& cutoff);

// ForgetSettledSaves with rows older than kSettledSavesKept, at most once an
// hour in this process. A failure is logged, not thrown: it comes after a
// committed save, whose answer must stay a success.
void ForgetOldSavesNowAndThen(Database& db);

}  // namespace appserver
