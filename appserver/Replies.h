#pragma once
// What every method shares: blank tests, packet answers, error data, and
// turning a database failure into the error the user sees.

#include <chrono>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "appserver/Database.h"
#include "appserver/StorageFailure.h"
#include "appserver/db/Soci.h"
#include "packet/DataPacket.h"
#include "rpc/Message.h"

namespace appserver {

// Empty or only blanks.
bool IsBlank(std::string_view s);

// A data packet answer. Throws packet::PacketError when a value does not
// fit its field (a programming error: values are clipped when read).
rpc::Reply PacketReply(const std::vector<packet::FieldDef>& fields, const std::vector<packet::Row>& rows);
// The same for fields checked and written once.
rpc::Reply PacketReply(const packet::PacketFields& fields, const std::vector<packet::Row>& rows);

// The JSON object {"name": value, ...} for an error's data; a member whose
// text is not UTF-8 is left out.
std::string ErrorData(const std::vector<std::pair<std::string, packet::Value>>& members);

// A number as the user writes it: whole numbers without decimals, a comma
// before any fraction (20, 10,5).
std::string NumberText(double v);

// UTC, to the millisecond, in the form both databases read as a timestamp
// ("2024-05-01 10:00:00.000"); such texts also sort as their times do.
std::string UtcTimestamp(std::chrono::system_clock::time_point when);

// Runs work(connection) on the calling thread's connection, for a read. A
// database failure drops that connection (the next call opens a new one);
// when the session had died under it (a database restart), the work runs
// once more on a fresh one, since a read can be repeated. What still fails
// becomes a StorageFailure; errors meant for the user pass unchanged.
template <typename Work>
auto WithConnection(Database& db, Work&& work) {
  for (bool retried = false;; retried = true) {
    try {
      return work(db.Local());
    } catch (const soci::soci_error& e) {
      const Trouble trouble = Classify(e, db.LocalBroken());
      db.Discard();
      if (trouble == Trouble::Broken && !retried) continue;
      ThrowStorageFailure(e, trouble, Doing::Reading);
    }
  }
}

}  // namespace appserver
