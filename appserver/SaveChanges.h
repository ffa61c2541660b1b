#pragma once
// SetQtdePropServico(changes[, identity[, deadline]]): stores a change log
// of passenger ranges.
//
// One transaction, all or nothing; acknowledged means committed (on SQLite
// with synchronous=FULL, on disk). The changes are applied in their order:
// - modify and delete find the row by the key of "old" (branch, airline,
//   flight, leg, service, both bounds) and need its stored CDCLASSE,
//   CDCICLO and QTSERVICO to equal the old ones (a blank code equals null);
//   otherwise RpcError kConflict (changed or removed by another user);
// - an inserted or modified row needs sound bounds (1 <= QTPAXDE <= QTPAXATE
//   <= 9999) and bounds not stored yet for the service, else
//   kRuleViolated; its leg, its service (a product of the
//   airline marked as a service), class and cycle must exist, else
//   kUnknownReference; a blank class or cycle is filled from the product.
// After the last change no two ranges of any service touched may overlap
// (kRuleViolated). Every change also writes a PROPSERVICO_LOG row with the
// time, the connection's user, I/A/E and the old and new values (see
// AuditLog.h), IDORIGEM null. A
// malformed change log is kInvalidParams, before any database work: one
// with more than kMaxChangesPerSave changes, a row with a field that is not
// a column or without one, a quantity outside 0..99999, a modify of a key
// column (see ChangeRecords.h). A save that waited longer than the lock
// time-out (queued behind others, or for the database's lock) is
// kStorageBusy; a failure during the commit of a session that died is
// kSaveOutcomeUnknown; another database failure kStorageFailure. A save
// whose session died before its commit runs once more on a fresh one.
// Messages for the user are in Portuguese; the data of an error names the
// change at fault (counted from 0).
//
// With an identity (see SettledSaves.h) the transaction also records it as
// stored; an identity recorded stored before answers success and stores
// nothing again, one given up is refused with kSaveTooLate. With a
// deadline (epoch milliseconds), a save that would commit after it is
// rolled back and refused with kSaveTooLate. Without them the save is as
// it always was.

#include "appserver/AuditLog.h"
#include "appserver/ChangeRecords.h"
#include "appserver/Database.h"
#include "rpc/Dispatcher.h"

namespace appserver {

rpc::Reply SetQtdePropServico(Database& db, const rpc::Request& request, const rpc::Session& session);

// Stores changes built by another method exactly as a change log without
// an identity is stored (the checks, the log rows for user, the
// transaction, the retry on a dead session), throwing as the save does;
// the log rows name origin as the tool that stored them.
void StoreChanges(Database& db, const rpc::Request& request, const std::vector<PropChange>& changes,
                  const std::string& user, LogOrigin origin);

}  // namespace appserver
