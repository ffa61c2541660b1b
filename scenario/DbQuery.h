#pragma once
// Runs a SELECT on the script's database and reads every value as a
// DbValue.

#include <string>
#include <vector>

#include "appserver/db/Soci.h"
#include "scenario/ValueFormat.h"

namespace scenario {

// Throws soci::soci_error with the database's text when the query fails,
// std::runtime_error for a column of a kind scripts cannot compare (blobs).
std::vector<DbRow> QueryRows(soci::session& session, const std::string& query);

}  // namespace scenario
