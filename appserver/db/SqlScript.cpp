#include "appserver/db/SqlScript.h"

#include <libpq-fe.h>
#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <cctype>

namespace dbsession {

namespace {

class Splitter {
 public:
  explicit Splitter(std::string_view s) : s_(s) {}

  std::vector<ScriptStatement> Run() {
    while (i_ < s_.size()) Step();
    Finish();
    return std::move(out_);
  }

 private:
  void Step() {
    const char c = s_[i_];
    if (c == '-' && Next() == '-') return LineComment();
    if (c == '/' && Next() == '*') return BlockComment();
    if (c == ';') return EndStatement();
    if (std::isspace(static_cast<unsigned char>(c))) return Advance(1);
    MarkCode();
    if (c == '\'' || c == '"') return Quoted(c);
    if (c == '$' && DollarTag() > 0) return DollarQuoted(DollarTag());
    Advance(1);
  }

  char Next() const { return i_ + 1 < s_.size() ? s_[i_ + 1] : '\0'; }

  void Advance(std::size_t n) {
    for (std::size_t k = 0; k < n && i_ < s_.size(); ++k, ++i_) {
      if (s_[i_] == '\n') ++line_;
    }
  }

  void MarkCode() {
    if (start_) return;
    start_ = i_;
    startLine_ = line_;
  }

  void LineComment() {
    const std::size_t end = s_.find('\n', i_);
    const std::string_view body = s_.substr(i_ + 2, (end == std::string_view::npos ? s_.size() : end) - i_ - 2);
    if (!start_) NoteMarker(body);
    Advance((end == std::string_view::npos ? s_.size() : end) - i_);
  }

  void NoteMarker(std::string_view body) {
    while (!body.empty() && std::isspace(static_cast<unsigned char>(body.front()))) body.remove_prefix(1);
    while (!body.empty() && std::isspace(static_cast<unsigned char>(body.back()))) body.remove_suffix(1);
    if (body == "@postgresql") only_ = Dialect::Postgresql;
    if (body == "@sqlite") only_ = Dialect::Sqlite;
  }

  void BlockComment() {
    const std::size_t end = s_.find("*/", i_ + 2);
    if (end == std::string_view::npos) Fail("unterminated /* comment");
    Advance(end + 2 - i_);
  }

  void Quoted(char quote) {
    const std::size_t end = s_.find(quote, i_ + 1);
    if (end == std::string_view::npos) Fail(std::string("unterminated ") + quote + " quote");
    Advance(end + 1 - i_);
  }

  // Length of the dollar-quote tag ($$ or $name$) at i_, or 0 when the '$'
  // starts none (a positional parameter such as $1, say).
  std::size_t DollarTag() const {
    std::size_t j = i_ + 1;
    if (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j]))) return 0;
    while (j < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[j])) || s_[j] == '_')) ++j;
    return j < s_.size() && s_[j] == '$' ? j + 1 - i_ : 0;
  }

  void DollarQuoted(std::size_t tagLength) {
    const std::string_view tag = s_.substr(i_, tagLength);
    const std::size_t end = s_.find(tag, i_ + tagLength);
    if (end == std::string_view::npos) Fail("unterminated dollar quote " + std::string(tag));
    Advance(end + tagLength - i_);
  }

  void EndStatement() {
    Finish();
    Advance(1);
  }

  void Finish() {
    if (start_) {
      out_.push_back({std::string(s_.substr(*start_, i_ - *start_)), only_, startLine_});
    }
    start_.reset();
    only_.reset();
  }

  [[noreturn]] void Fail(const std::string& what) const {
    throw ScriptError("SQL script, line " + std::to_string(line_) + ": " + what);
  }

  std::string_view s_;
  std::size_t i_ = 0;
  std::size_t line_ = 1;
  std::optional<std::size_t> start_;
  std::size_t startLine_ = 1;
  std::optional<Dialect> only_;
  std::vector<ScriptStatement> out_;
};

// Empty when the statement succeeded, else the driver's text.
std::string ExecSqlite(soci::session& session, const std::string& sql) {
  sqlite_api::sqlite3* db = static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
  char* message = nullptr;
  if (sqlite_api::sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) return {};
  std::string text = message ? message : sqlite_api::sqlite3_errmsg(db);
  sqlite_api::sqlite3_free(message);
  return text;
}

std::string ExecPostgresql(soci::session& session, const std::string& sql) {
  PGconn* conn = static_cast<soci::postgresql_session_backend*>(session.get_backend())->conn_;
  PGresult* result = PQexec(conn, sql.c_str());
  const ExecStatusType status = PQresultStatus(result);
  std::string text;
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    text = result ? PQresultErrorMessage(result) : PQerrorMessage(conn);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  }
  PQclear(result);
  return text;
}

}  // namespace

std::vector<ScriptStatement> SplitScript(std::string_view script) { return Splitter(script).Run(); }

void RunScript(soci::session& session, std::string_view script) {
  const Dialect dialect = DialectOf(session);
  for (const ScriptStatement& st : SplitScript(script)) {
    if (st.only && *st.only != dialect) continue;
    const std::string error =
        dialect == Dialect::Sqlite ? ExecSqlite(session, st.text) : ExecPostgresql(session, st.text);
    if (!error.empty()) {
      throw ScriptError("SQL script, statement at line " + std::to_string(st.line) + ": " + error);
    }
  }
}

}  // namespace dbsession
