#include "screen/LegSeats.h"

#include "framework/Query.h"
#include "screen/FormParts.h"

namespace screen_tools {

namespace {

// A whole count of at least 1 in the query's only row, else nullopt.
std::optional<int> CountIn(framework::TADOIBQuery& query, const char* field) {
  query.Open();
  if (query.IsEmpty()) return std::nullopt;
  const toolkit::Field& value = query.FieldByName(field);
  if (value.IsNull() || value.AsFloat() < 1) return std::nullopt;
  return static_cast<int>(value.AsFloat());
}

}  // namespace

std::optional<int> EquipmentSeats(const std::string& equipment) {
  if (equipment.empty()) return std::nullopt;
  framework::TADOIBQuery query;
  query.SetName("qryAssentos");
  query.SetConnection(&screen_form::GeneralConnection());
  query.AddFloatField("QTASSENTOS");
  query.SetSQL({"SELECT QTASSENTOS", "FROM EQUIPAMENTO", "WHERE CDEQUIP = :P_CDEQUIP"});
  query.ParamByName("P_CDEQUIP").SetAsString(equipment);
  return CountIn(query, "QTASSENTOS");
}

std::optional<int> LowestTopBound(const PlanningContext& context) {
  framework::TADOIBQuery query;
  query.SetName("qryMaiorFaixa");
  query.SetConnection(&screen_form::GeneralConnection());
  query.AddFloatField("QTPAXATE");
  query.SetSQL({"SELECT MIN(T.QTPAXATE) AS QTPAXATE",
                "FROM (SELECT MAX(QTPAXATE) AS QTPAXATE", "      FROM PROPSERVICO",
                "      WHERE CDFILIAL = :P_CDFILIAL AND CDCIA = :P_CDCIA AND",
                "            NRVOO = :P_NRVOO AND CDTRECHO = :P_CDTRECHO",
                "      GROUP BY CDSERVICO, CDCLASSE, CDCICLO) T"});
  query.ParamByName("P_CDFILIAL").SetAsString(context.branch);
  query.ParamByName("P_CDCIA").SetAsString(context.airline);
  query.ParamByName("P_NRVOO").SetAsString(context.flight);
  query.ParamByName("P_CDTRECHO").SetAsString(context.leg);
  return CountIn(query, "QTPAXATE");
}

}  // namespace screen_tools
