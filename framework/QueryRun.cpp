// Running a query's text on the general database and turning the result
// into rows of the query's fields.
#include <cmath>

#include "appserver/db/Soci.h"
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
    default: throw soci::soci_error("column " + props.get_name() + " has a type the lookups do not read");
  }
  if (type == packet::FieldType::String) return isNumber ? toolkit::FloatToText(number) : text;
  if (isNumber) return number;
  if (auto parsed = toolkit::TextToFloat(text)) return *parsed;
  throw soci::soci_error("column " + props.get_name() + " holds '" + text + "', which is no number");
}

int ColumnOf(const soci::row& row, const std::string& field) {
  for (std::size_t i = 0; i < row.size(); ++i)
    if (packet::SameFieldName(row.get_properties(i).get_name(), field)) return static_cast<int>(i);
  return -1;
}

}  // namespace

packet::DataPacket TADOIBQuery::Run() const {
  if (!connection_) Error("Query has no database connection");
  const std::string sql = ActiveSQL();
  const auto places = querytext::FindParams(sql);
  std::vector<std::string> values(places.size());
  std::vector<soci::indicator> nulls(places.size(), soci::i_ok);
  for (std::size_t i = 0; i < places.size(); ++i) {
    for (const TParam& p : params_) {
      if (!packet::SameFieldName(p.Name(), places[i].name)) continue;
      values[i] = p.AsString();
      nulls[i] = p.IsNull() ? soci::i_null : soci::i_ok;
    }
  }
  packet::DataPacket result;
  for (int f = 0; f < FieldCount(); ++f)
    result.fields.push_back({Fields(f).FieldName(), Fields(f).DataType(), Fields(f).Size()});
  try {
    soci::session& session = connection_->Session();
    soci::details::prepare_temp_type prepared = (session.prepare << querytext::NumberParams(sql, places));
    for (std::size_t i = 0; i < places.size(); ++i) prepared, soci::use(values[i], nulls[i]);
    soci::rowset<soci::row> rows(prepared);
    std::vector<int> column;
    for (const soci::row& row : rows) {
      if (column.empty()) column = MapColumns(row, result);
      packet::Row out;
      for (std::size_t f = 0; f < result.fields.size(); ++f)
        out.push_back(Cell(row, static_cast<std::size_t>(column[f]), result.fields[f].type));
      result.rows.push_back(std::move(out));
    }
  } catch (const soci::soci_error& e) {
    Error(std::string("Query failed: ") + e.what());
  }
  if (FieldCount() == 0) SizeTextFields(result);
  return result;
}

// Maps each field to its result column; a query without fields of its own
// takes the result's columns.
std::vector<int> TADOIBQuery::MapColumns(const soci::row& row, packet::DataPacket& result) const {
  std::vector<int> column;
  if (result.fields.empty()) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      const auto& props = row.get_properties(i);
      const bool text = props.get_data_type() == soci::dt_string;
      result.fields.push_back({props.get_name(), text ? packet::FieldType::String : packet::FieldType::Float, 0});
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

void TADOIBQuery::SizeTextFields(packet::DataPacket& result) {
  for (std::size_t f = 0; f < result.fields.size(); ++f) {
    if (result.fields[f].type != packet::FieldType::String) continue;
    int widest = 1;
    for (const auto& r : result.rows)
      if (const auto* s = std::get_if<std::string>(&r[f])) widest = std::max(widest, static_cast<int>(s->size()));
    result.fields[f].size = widest;
  }
}

}  // namespace framework
