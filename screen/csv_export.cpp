#include "screen/CsvExport.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "framework/Query.h"
#include "screen/FormParts.h"

namespace screen_tools {

std::string CsvField(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string CsvNumber(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) return std::to_string(static_cast<long long>(value));
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  std::string s = text;
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

namespace {

void OpenRanges(framework::TADOIBQuery& query, const PlanningContext& context, bool onlyLeg) {
  query.SetName("qryExportaCsv");
  query.SetConnection(&screen_form::GeneralConnection());
  query.SetSQL({"SELECT PS.CDFILIAL, C.SGCIA, PS.NRVOO, PS.CDTRECHO, PR.CDARVPROD, CL.SGCLASSE,",
                "       COALESCE(CC.IDCICLO, CI.IDCICLO) AS IDCICLO, PS.QTPAXDE, PS.QTPAXATE, PS.QTSERVICO",
                "FROM PROPSERVICO PS",
                "JOIN COMPANHIA C ON C.CDCIA = PS.CDCIA",
                "LEFT JOIN PRODUTO PR ON PR.CDCIA = PS.CDCIA AND PR.CDPRODUTO = PS.CDSERVICO",
                "LEFT JOIN CLASSE CL ON CL.CDCLASSE = PS.CDCLASSE",
                "LEFT JOIN CICLOCIA CC ON CC.CDFILIAL = PS.CDFILIAL AND CC.CDCIA = PS.CDCIA AND CC.CDCICLO = PS.CDCICLO",
                "LEFT JOIN CICLO CI ON CI.CDCICLO = PS.CDCICLO",
                "WHERE PS.CDFILIAL = :P_CDFILIAL AND PS.CDCIA = :P_CDCIA AND",
                "      ((PS.NRVOO = :P_NRVOO AND PS.CDTRECHO = :P_CDTRECHO) OR :P_TODOS = 'T')",
                "ORDER BY PS.NRVOO, PS.CDTRECHO, PR.CDARVPROD, PS.CDSERVICO, PS.QTPAXDE"});
  query.ParamByName("P_CDFILIAL").SetAsString(context.branch);
  query.ParamByName("P_CDCIA").SetAsString(context.airline);
  query.ParamByName("P_NRVOO").SetAsString(context.flight);
  query.ParamByName("P_CDTRECHO").SetAsString(context.leg);
  query.ParamByName("P_TODOS").SetAsString(onlyLeg ? "" : "T");
  query.Open();
}

std::string Line(framework::TADOIBQuery& q) {
  std::vector<std::string> fields;
  for (const char* text : {"CDFILIAL", "SGCIA", "NRVOO", "CDTRECHO", "CDARVPROD", "SGCLASSE", "IDCICLO"})
    fields.push_back(CsvField(q.FieldByName(text).AsString()));
  for (const char* number : {"QTPAXDE", "QTPAXATE", "QTSERVICO"}) {
    const toolkit::Field& f = q.FieldByName(number);
    fields.push_back(f.IsNull() ? std::string() : CsvNumber(f.AsFloat()));
  }
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? ";" : "") + fields[i];
  return line + "\r\n";
}

}  // namespace

int ExportRanges(const PlanningContext& context, bool onlyLeg, const std::filesystem::path& file) {
  framework::TADOIBQuery query;
  OpenRanges(query, context, onlyLeg);
  const std::filesystem::path partial = file.string() + ".parcial";
  int ranges = 0;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << "\xEF\xBB\xBF" << kCsvHeader << "\r\n";
    for (query.First(); !query.Eof(); query.Next(), ++ranges) out << Line(query);
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(partial, ignored);
      throw std::runtime_error("Não foi possível gravar o arquivo " + file.string() + ".");
    }
  }
  std::error_code error;
  std::filesystem::rename(partial, file, error);
  if (error) {
    std::filesystem::remove(partial, error);
    throw std::runtime_error("Não foi possível gravar o arquivo " + file.string() + ".");
  }
  return ranges;
}

}  // namespace screen_tools
