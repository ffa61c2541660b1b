#pragma once
// SQL scripts (the schema and the demo data): cutting them into statements
// and running them.
//
// Statements end with ';' outside quotes ('...', "..."), comments (-- and
// /* */) and PostgreSQL dollar quotes ($$...$$, $tag$...$tag$). A line that
// holds only "-- @postgresql" or "-- @sqlite", among the comments before a
// statement, restricts that statement to that database.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "appserver/db/DbSession.h"
#include "appserver/db/Soci.h"

namespace dbsession {

struct ScriptStatement {
  std::string text;             // without the closing ';'
  std::optional<Dialect> only;  // empty: every database
  std::size_t line = 1;         // where the statement's text starts
};

// A script that cannot be cut or run; the text names the line.
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws ScriptError for an unterminated quote, comment or dollar quote.
std::vector<ScriptStatement> SplitScript(std::string_view script);

// Runs the statements meant for the session's dialect, in order, through the
// driver's native call (so that no text is taken for a bind parameter). Runs
// inside whatever transaction the caller holds. Throws ScriptError naming
// the statement's line and the driver's text.
void RunScript(soci::session& session, std::string_view script);

}  // namespace dbsession
