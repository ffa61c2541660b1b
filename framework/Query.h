#pragma once
// A read-only query on the general database: SQL text (one per dialect if
// need be), named parameters (":NAME" in the text), and the result held
// client-side in the dataset's fields.
#include <string>
#include <string_view>
#include <vector>
#include "framework/GeneralDatabase.h"
#include "toolkit/data/DataSet.h"

namespace soci { class row; }

namespace framework {

// A query parameter: a string or null.
class TParam {
 public:
  explicit TParam(std::string name) : name_(std::move(name)) {}
  const std::string& Name() const { return name_; }
  bool IsNull() const { return null_; }
  const std::string& AsString() const { return value_; }
  void SetAsString(std::string value) { value_ = std::move(value); null_ = false; }
  void Clear() { value_.clear(); null_ = true; }

 private:
  std::string name_;
  std::string value_;
  bool null_ = true;
};

class TADOIBQuery : public toolkit::DataSet {
 public:
  explicit TADOIBQuery(toolkit::Component* owner = nullptr);

  // The text of one dialect, one string per line. Setting the default text
  // (SQL) declares the parameters it names, keeping the values of those
  // that stay. Only while the query is closed (EDatabaseError otherwise).
  void SetSQL(std::vector<std::string> lines);
  void SetDialectSQL(TSqlDialect dialect, std::vector<std::string> lines);
  const std::vector<std::string>& SQL(TSqlDialect dialect = TSqlDialect::Default) const;
  // The text the connected database runs: its dialect's text, or the
  // default one when that dialect has none.
  std::string ActiveSQL() const;

  TGeneralConnection* Connection() const { return connection_; }
  void SetConnection(TGeneralConnection* connection) { connection_ = connection; }

  // Case-insensitive; throws EDatabaseError naming the parameter and the
  // query when there is none.
  TParam& ParamByName(std::string_view name);
  const std::vector<TParam>& Params() const { return params_; }

  // The tables named in the default text's FROM clauses, upper-cased.
  std::vector<std::string> Tables() const;

 protected:
  // Runs the text with the parameters and holds the rows. Throws
  // EDatabaseError with the database's text (and the query's name) on
  // failure, or without a connection.
  void InternalOpen() override;

 private:
  packet::DataPacket Run() const;
  const TParam& DeclaredParam(std::string_view name) const;
  std::string CacheKey() const;
  std::vector<int> MapColumns(const soci::row& row, const std::vector<packet::FieldType>& types,
                              packet::DataPacket& result) const;
  static void SizeTextFields(packet::DataPacket& result);
  std::vector<std::vector<std::string>> dialectSql_;
  std::vector<TParam> params_;
  TGeneralConnection* connection_ = nullptr;
};

// The parameter names of an SQL text, in order of first use: ":NAME"
// outside quoted literals and comments ("::" and ":=" are not parameters).
std::vector<std::string> ParamNames(std::string_view sql);

}  // namespace framework
