#pragma once
// Reading SQL texts for the queries: parameter places and table names.
#include <string>
#include <string_view>
#include <vector>

namespace framework::querytext {

// One ":NAME" in the text, outside quoted literals and comments.
struct ParamPlace {
  std::size_t begin;  // offset of ':'
  std::size_t end;    // one past the name
  std::string name;
};

std::vector<ParamPlace> FindParams(std::string_view sql);

// The text with each parameter place replaced by its own ":pN" (N from 1,
// in order), so that every occurrence is bound on its own.
std::string NumberParams(std::string_view sql, const std::vector<ParamPlace>& places);

// Upper-cased names of the tables in the FROM clauses.
std::vector<std::string> FromTables(std::string_view sql);

}  // namespace framework::querytext
