// Running a query's text on the general database and turning the result
// into rows of the query's fields.
#include <algorithm>

#include "appserver/db/Soci.h"
#include <soci/sqlite3/soci-sqlite3.h>
#include "framework/Query.h"
#include "framework/QueryText.h"
#include "toolkit/data/FloatText.h"

namespace framework {

namespace {

// A result cell as a packet value of the wanted type.
packet::Value Cell(const soci::row& row, std::size_t i, packet::FieldType type) {
  if (row.get_indicator(i) == soci::i_null) return {};
  const soci::column_properties& props = row.get_properties(i);
  double number = 0;
  std::string text;
  bool isNumber = true;
  switch (props.get_data_type()) {
    case soci::dt_double: number = row.get<double>(i); break;
    case soci::dt_integer: number = row.get<int>(i); break;
    case soci::dt_long_long: number = static_cast<double>(row.get<long long>(i)); break;
    case soci::dt_unsigned_long_long: number = static_cast<double>(row.get<unsigned long long>(i)); break;
    case soci::dt_string: text = row.get<std::string>(i); isNumber = false; break;
    default: throw soci::soci_error("a coluna " + props.get_name() + " é de um tipo que as pesquisas não leem");
  }
  if (type == packet::FieldType::String) return isNumber ? toolkit::FloatToText(number) : text;
  if (isNumber) return number;
  if (auto parsed = toolkit::TextToFloat(text)) return *parsed;
  throw soci::soci_error("a coluna " + props.get_name() + " contém '" + text + "', que não é um número");
}

// Sizes count characters; the text is UTF-8.
int Characters(const std::string& text) {
  return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// SQLite declares no type for a computed column (2.5, COUNT(*)), which SOCI
// then calls text; the storage class of its value on the current row tells
// a number from text.
bool ComputedNumber(soci::statement& statement, std::size_t i) {
  auto* sqlite = static_cast<soci::sqlite3_statement_backend*>(statement.get_backend());
  const int column = static_cast<int>(i);
  if (sqlite_api::sqlite3_column_decltype(sqlite->stmt_, column)) return false;
  const int storage = sqlite_api::sqlite3_column_type(sqlite->stmt_, column);
  return storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
}

// The field types of the result's columns, judged on the first row.
std::vector<packet::FieldType> ColumnTypes(soci::statement& statement, const soci::row& row, bool sqliteRow) {
  std::vector<packet::FieldType> types;
  for (std::size_t i = 0; i < row.size(); ++i) {
    const bool text = row.get_properties(i).get_data_type() == soci::dt_string &&
                      !(sqliteRow && row.get_indicator(i) != soci::i_null && ComputedNumber(statement, i));
    types.push_back(text ? packet::FieldType::String : packet::FieldType::Float);
  }
  return types;
}

int ColumnOf(const soci::row& row, const std::string& field) {
  for (std::size_t i = 0; i < row.size(); ++i)
    if (packet::SameFieldName(row.get_properties(i).get_name(), field)) return static_cast<int>(i);
  return -1;
}

}  // namespace

packet::DataPacket TADOIBQuery::Run() const {
  if (!connection_) Error("Query has no database connection");
  if (!connection_->Connected()) Error("The database connection " + connection_->Name() + " is not open");
  const std::string sql = ActiveSQL();
  const auto places = querytext::FindParams(sql);
  // One bound value per occurrence: a parameter used twice is bound twice,
  // and no value ever becomes part of the text.
  std::vector<std::string> values;
  std::vector<soci::indicator> nulls;
  for (const auto& place : places) {
    const TParam& p = DeclaredParam(place.name);
    values.push_back(p.AsString());
    nulls.push_back(p.IsNull() ? soci::i_null : soci::i_ok);
  }
  packet::DataPacket result;
  for (int f = 0; f < FieldCount(); ++f)
    result.fields.push_back({Fields(f).FieldName(), Fields(f).DataType(), Fields(f).Size()});
  try {
    soci::session& session = connection_->Session();
    soci::row row;
    soci::statement statement(session);
    for (std::size_t i = 0; i < places.size(); ++i) statement.exchange(soci::use(values[i], nulls[i]));
    statement.exchange(soci::into(row));
    statement.alloc();
    statement.prepare(querytext::NumberParams(sql, places));
    statement.define_and_bind();
    bool more = statement.execute(true);
    // The columns are described even when no row comes back, so a missing
    // field is found whatever the data.
    const bool sqliteRow = more && session.get_backend_name() == "sqlite3";
    const std::vector<int> column = MapColumns(row, ColumnTypes(statement, row, sqliteRow), result);
    for (; more; more = statement.fetch()) {
      packet::Row out;
      for (std::size_t f = 0; f < result.fields.size(); ++f)
        out.push_back(Cell(row, static_cast<std::size_t>(column[f]), result.fields[f].type));
      result.rows.push_back(std::move(out));
    }
  } catch (const soci::soci_error& e) {
    Error(std::string("A pesquisa no banco de dados falhou: ") + e.what());
  }
  SizeTextFields(result);
  return result;
}

const TParam& TADOIBQuery::DeclaredParam(std::string_view name) const {
  for (const TParam& p : params_)
    if (packet::SameFieldName(p.Name(), name)) return p;
  // Only the default text declares parameters; a dialect text naming
  // another one could never get a value for it.
  Error("Parameter " + std::string(name) + " of the SQL text is not declared by the default text");
}

// Maps each field to its result column; a query without fields of its own
// takes the result's columns.
std::vector<int> TADOIBQuery::MapColumns(const soci::row& row, const std::vector<packet::FieldType>& types,
                                         packet::DataPacket& result) const {
  std::vector<int> column;
  if (result.fields.empty()) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      result.fields.push_back({row.get_properties(i).get_name(), types[i], 0});
      column.push_back(static_cast<int>(i));
    }
    return column;
  }
  for (const packet::FieldDef& f : result.fields) {
    const int i = ColumnOf(row, f.name);
    if (i < 0) Error("Field " + f.name + " is not in the result of the query");
    column.push_back(i);
  }
  return column;
}

// The packet's text sizes are those of its values: fields the query makes
// are sized to hold them, and the query's own fields cut what is longer.
void TADOIBQuery::SizeTextFields(packet::DataPacket& result) {
  for (std::size_t f = 0; f < result.fields.size(); ++f) {
    if (result.fields[f].type != packet::FieldType::String) continue;
    int widest = 1;
    for (const auto& r : result.rows)
      if (const auto* s = std::get_if<std::string>(&r[f])) widest = std::max(widest, Characters(*s));
    result.fields[f].size = widest;
  }
}

}  // namespace framework
