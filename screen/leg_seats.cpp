#include "screen/LegSeats.h"

#include "framework/Query.h"
#include "screen/FormParts.h"

namespace screen_tools {

std::optional<int> EquipmentSeats(const std::string& equipment) {
  if (equipment.empty()) return std::nullopt;
  framework::TADOIBQuery query;
  query.SetName("qryAssentos");
  query.SetConnection(&screen_form::GeneralConnection());
  query.AddFloatField("QTASSENTOS");
  query.SetSQL({"SELECT QTASSENTOS", "FROM EQUIPAMENTO", "WHERE CDEQUIP = :P_CDEQUIP"});
  query.ParamByName("P_CDEQUIP").SetAsString(equipment);
  query.Open();
  if (query.IsEmpty()) return std::nullopt;
  const toolkit::Field& seats = query.FieldByName("QTASSENTOS");
  if (seats.IsNull() || seats.AsFloat() < 1) return std::nullopt;
  return static_cast<int>(seats.AsFloat());
}

}  // namespace screen_tools
