#pragma once
// A statement prepared once on a session and run many times: parameters
// bound by position, each a text or a number (or null), result columns
// likewise. Every value travels as a bound parameter, never inside the SQL
// text. On SQLite it runs through SQLite's own interface: SOCI's SQLite back
// end turns every value into text and back, which cost several times the
// work of the query itself. On PostgreSQL it runs through SOCI.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "appserver/db/Soci.h"
#include "packet/DataPacket.h"

// SOCI reads sqlite3.h into this namespace.
namespace sqlite_api {
struct sqlite3;
struct sqlite3_stmt;
}  // namespace sqlite_api

namespace appserver {

enum class Kind { Text, Number };

class Statement {
 public:
  // Prepares sql, whose placeholders (:name, each name once) are bound in
  // order of appearance to params. Throws soci::soci_error when the database
  // refuses the text; so do the runs below when the database fails.
  Statement(soci::session& session, const std::string& sql, std::vector<Kind> params, std::vector<Kind> columns = {});
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Each throws std::logic_error for a position out of range or of the
  // other kind.
  void SetText(std::size_t i, std::string_view value);
  void SetNumber(std::size_t i, double value);
  void SetNull(std::size_t i);

  // Runs the statement; true when a first result row arrived.
  bool Execute();
  // The next result row; false after the last.
  bool Next();
  // Ends the run, keeping the current row's values. SQLite holds a read
  // snapshot (and holds back checkpoints) while a statement is neither
  // reset nor finished, so every run is ended this way once read.
  void Release();
  // Execute then Release: for statements of at most one row.
  bool ExecuteOne();
  // Rows changed by the last Execute of an INSERT, UPDATE or DELETE.
  long long AffectedRows();

  // The current row's column values.
  bool IsNull(std::size_t c) const;
  const std::string& Text(std::size_t c) const;
  double Number(std::size_t c) const;

  // Runs the statement and appends every result row to rows, as packet
  // values for fields (one column per field, of the field's type); text is
  // cut to its field's size. Ends with Release.
  void FetchAll(const std::vector<packet::FieldDef>& fields, std::vector<packet::Row>& rows);

 private:
  struct Cell {
    Kind kind = Kind::Text;
    std::string text;
    double number = 0;
    soci::indicator ind = soci::i_null;
  };

  Cell& Param(std::size_t i, Kind kind);
  const Cell& Column(std::size_t c) const;
  void PrepareNative(const std::string& sql);
  void PrepareSoci(soci::session& session, const std::string& sql);
  void BindNative();
  bool StepNative();

  // Sized once, before binding: the statements keep their addresses.
  std::vector<Cell> params_;
  std::vector<Cell> columns_;
  // SQLite: the native connection and statement; otherwise the SOCI one.
  sqlite_api::sqlite3* db_ = nullptr;
  sqlite_api::sqlite3_stmt* native_ = nullptr;
  std::unique_ptr<soci::statement> soci_;
};

// The first `size` characters (code points) of UTF-8 text.
std::string_view ClipText(std::string_view text, std::size_t size);

}  // namespace appserver
