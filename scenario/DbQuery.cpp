#include "scenario/DbQuery.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace scenario {

namespace {

DbValue ValueAt(const soci::row& row, std::size_t i) {
  if (row.get_indicator(i) == soci::i_null) return DbValue::Null();
  switch (row.get_properties(i).get_data_type()) {
    case soci::dt_string: return DbValue::Text(row.get<std::string>(i));
    case soci::dt_double: return DbValue::Real(row.get<double>(i));
    case soci::dt_integer: return DbValue::Integer(row.get<int>(i));
    case soci::dt_long_long: return DbValue::Integer(row.get<long long>(i));
    case soci::dt_unsigned_long_long:
      return DbValue::Integer(static_cast<std::int64_t>(row.get<unsigned long long>(i)));
    case soci::dt_date: {
      const std::tm t = row.get<std::tm>(i);
      char text[80];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                    t.tm_hour, t.tm_min, t.tm_sec);
      return DbValue::Text(text);
    }
    case soci::dt_blob:
    case soci::dt_xml: break;
  }
  throw std::runtime_error("column " + row.get_properties(i).get_name() + " holds values scripts cannot compare");
}

}  // namespace

std::vector<DbRow> QueryRows(soci::session& session, const std::string& query) {
  std::vector<DbRow> rows;
  soci::rowset<soci::row> result = session.prepare << query;
  for (const soci::row& row : result) {
    DbRow values;
    for (std::size_t i = 0; i < row.size(); ++i) values.push_back(ValueAt(row, i));
    rows.push_back(std::move(values));
  }
  return rows;
}

}  // namespace scenario
