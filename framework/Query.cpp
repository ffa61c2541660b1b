#include "framework/Query.h"

#include "appserver/db/Soci.h"
#include "framework/LocalCache.h"
#include "framework/QueryText.h"

namespace framework {

namespace {

bool SameName(std::string_view a, std::string_view b) { return packet::SameFieldName(a, b); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) text += '\n';
    text += lines[i];
  }
  return text;
}

}  // namespace

std::vector<std::string> ParamNames(std::string_view sql) {
  std::vector<std::string> names;
  for (const auto& place : querytext::FindParams(sql)) {
    bool seen = false;
    for (const std::string& n : names) seen = seen || SameName(n, place.name);
    if (!seen) names.push_back(place.name);
  }
  return names;
}

TADOIBQuery::TADOIBQuery(toolkit::Component* owner) : DataSet(owner), dialectSql_(4) {}

void TADOIBQuery::SetSQL(std::vector<std::string> lines) {
  if (Active()) Error("Cannot change the SQL of an open query");
  std::vector<TParam> params;
  for (const std::string& name : ParamNames(Joined(lines))) {
    TParam param(name);
    for (const TParam& old : params_)
      if (SameName(old.Name(), name) && !old.IsNull()) param.SetAsString(old.AsString());
    params.push_back(std::move(param));
  }
  params_ = std::move(params);
  dialectSql_[static_cast<int>(TSqlDialect::Default)] = std::move(lines);
}

void TADOIBQuery::SetDialectSQL(TSqlDialect dialect, std::vector<std::string> lines) {
  if (dialect == TSqlDialect::Default) return SetSQL(std::move(lines));
  if (Active()) Error("Cannot change the SQL of an open query");
  dialectSql_[static_cast<int>(dialect)] = std::move(lines);
}

const std::vector<std::string>& TADOIBQuery::SQL(TSqlDialect dialect) const {
  return dialectSql_[static_cast<int>(dialect)];
}

std::string TADOIBQuery::ActiveSQL() const {
  const TSqlDialect dialect = connection_ ? connection_->Dialect() : TSqlDialect::Default;
  const auto& own = SQL(dialect);
  return Joined(own.empty() ? SQL(TSqlDialect::Default) : own);
}

TParam& TADOIBQuery::ParamByName(std::string_view name) {
  for (TParam& p : params_)
    if (SameName(p.Name(), name)) return p;
  Error("Parameter " + std::string(name) + " not found");
}

std::vector<std::string> TADOIBQuery::Tables() const {
  return querytext::FromTables(Joined(SQL(TSqlDialect::Default)));
}

// Every part is length-prefixed so that no value can run into the next one,
// nulls are kept apart from empty strings, and the fields are part of the
// key because the kept rows are shaped by them.
std::string TADOIBQuery::CacheKey() const {
  std::string key;
  auto part = [&key](char kind, std::string_view text) {
    key += kind;
    key += std::to_string(text.size());
    key += ':';
    key += text;
  };
  part('Q', ActiveSQL());
  for (const TParam& p : params_) {
    if (p.IsNull())
      part('N', "");
    else
      part('S', p.AsString());
  }
  for (int f = 0; f < FieldCount(); ++f) {
    const toolkit::Field& field = Fields(f);
    part('F', field.FieldName() + '/' + packet::FieldTypeName(field.DataType()) + '/' + std::to_string(field.Size()));
  }
  return key;
}

void TADOIBQuery::InternalOpen() {
  LocalCache& cache = LocalCache::Instance();
  const std::vector<std::string> tables = Tables();
  if (!cache.Caches(tables)) return LoadPacket(Run());
  const std::string key = CacheKey();
  if (auto kept = cache.Find(key)) return LoadPacket(std::move(*kept));
  packet::DataPacket rows = Run();
  cache.Store(key, tables, rows);
  LoadPacket(std::move(rows));
}

}  // namespace framework
