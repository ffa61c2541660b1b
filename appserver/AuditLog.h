#pragma once
// PROPSERVICO_LOG, the audit trail of the ranges: one row per stored change,
// written inside the transaction that stores it, with the time, the user,
// what was done (IDOPERACAO), by which tool (IDORIGEM) and the range before
// and after.

#include <optional>
#include <string_view>
#include <vector>

#include "appserver/ChangeRecords.h"
#include "appserver/Database.h"

namespace appserver {

// The tool that stored a change: IDORIGEM null for the screen's save, 'C'
// for a copy between legs, 'I' for a CSV import.
enum class LogOrigin { Screen, Copy, Import };

struct LogEntry {
  char op = 0;                           // 'I' insert, 'A' alteration, 'E' exclusion
  std::optional<PropRow> before, after;  // the _OLD and _NEW columns; none: nulls
};

// Writes the entries in their order, so that IDLOG grows with it; each with
// DTLOG `when` (UTC, as UtcTimestamp writes it), NMUSUARIO `user` (cut to
// its column) and origin. Throws soci::soci_error when the database fails.
void WriteAuditLog(Connection& c, const std::vector<LogEntry>& entries, std::string_view when,
                   std::string_view user, LogOrigin origin);

}  // namespace appserver
