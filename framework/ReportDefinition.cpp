#include "framework/ReportDefinition.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace framework {

namespace {

using nlohmann::json;

[[noreturn]] void Refuse(const std::filesystem::path& file, const std::string& why) {
  throw std::runtime_error("A definição de relatório " + file.string() + " não pôde ser lida: " + why);
}

const json& Part(const std::filesystem::path& file, const json& object, const char* name, json::value_t kind) {
  const auto it = object.find(name);
  if (it == object.end()) Refuse(file, std::string("falta \"") + name + "\".");
  if (it->type() != kind) Refuse(file, std::string("\"") + name + "\" não é do tipo esperado.");
  return *it;
}

std::string Text(const std::filesystem::path& file, const json& object, const char* name) {
  return Part(file, object, name, json::value_t::string).get<std::string>();
}

std::vector<std::string> Lines(const std::filesystem::path& file, const json& object, const char* name) {
  std::vector<std::string> lines;
  for (const json& line : Part(file, object, name, json::value_t::array)) {
    if (!line.is_string()) Refuse(file, std::string("\"") + name + "\" deve ser uma lista de textos.");
    lines.push_back(line.get<std::string>());
  }
  return lines;
}

std::vector<ReportColumn> Columns(const std::filesystem::path& file, const json& object, const char* name) {
  std::vector<ReportColumn> columns;
  for (const json& c : Part(file, object, name, json::value_t::array)) {
    if (!c.is_object()) Refuse(file, std::string("\"") + name + "\" deve ser uma lista de objetos.");
    columns.push_back({Text(file, c, "label"), Text(file, c, "field")});
  }
  return columns;
}

}  // namespace

std::filesystem::path ReportsDirectory() {
  if (const char* env = std::getenv("ATE_REPORTS"); env && *env) return env;
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    const std::filesystem::path beside = exe.parent_path().parent_path() / "reports";
    if (std::filesystem::is_directory(beside, error)) return beside;
  }
  return "reports";
}

ReportDefinition LoadReportDefinition(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) Refuse(file, "o arquivo não existe ou não pode ser aberto.");
  json doc;
  try {
    doc = json::parse(in);
  } catch (const json::parse_error& e) {
    Refuse(file, std::string("JSON inválido (") + e.what() + ").");
  }
  if (!doc.is_object()) Refuse(file, "o conteúdo deve ser um objeto.");
  ReportDefinition def;
  def.title = Text(file, doc, "title");
  def.parameters = Lines(file, doc, "parameters");
  const json& header = Part(file, doc, "header", json::value_t::object);
  def.headerSql = Lines(file, header, "sql");
  def.headerFields = Columns(file, header, "fields");
  const json& body = Part(file, doc, "body", json::value_t::object);
  def.bodySql = Lines(file, body, "sql");
  def.groupBy = Text(file, body, "groupBy");
  def.groupFields = Columns(file, body, "groupFields");
  def.columns = Columns(file, body, "columns");
  if (body.contains("empty")) def.emptyText = Text(file, body, "empty");
  return def;
}

}  // namespace framework
