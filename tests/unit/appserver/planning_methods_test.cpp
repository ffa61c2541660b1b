// The planning reads other programs call: holes in a leg's ranges, and what
// each service gives for a passenger count; on SQLite and PostgreSQL.

#include "method_test_base.h"

namespace appserver_test {
namespace {

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

// The fields other programs rely on, by name, type and size.
const std::vector<packet::FieldDef> kCobertura{Text("CDSERVICO", 10), Text("CDCLASSE", 4),   Text("CDCICLO", 4),
                                               Text("CDARVPROD", 20), Text("NMPRODUTO", 50), Number("QTPAXDE"),
                                               Number("QTPAXATE"),    Number("QTASSENTOS")};
const std::vector<packet::FieldDef> kParaPax{Text("CDSERVICO", 10), Text("CDCLASSE", 4),  Text("CDCICLO", 4),
                                             Text("CDARVPROD", 20), Text("NMPRODUTO", 50), Text("SGCLASSE", 5),
                                             Text("IDCICLO", 10),   Number("QTPAXDE"),    Number("QTPAXATE"),
                                             Number("QTSERVICO")};

std::string Number(const json& v) { return v.is_null() ? "-" : std::to_string(v.get<long long>()); }

// "S3/0001 21-29" per hole.
std::vector<std::string> Holes(const Answer& a) {
  std::vector<std::string> out;
  for (const json& r : Rows(a, kCobertura))
    out.push_back(r[0].get<std::string>() + "/" + r[1].get<std::string>() + " " + Number(r[5]) + "-" + Number(r[6]));
  return out;
}

// "S1/0001 21-50:4" per service, "S3/0001 -:-" where no range covers.
std::vector<std::string> Quantities(const Answer& a) {
  std::vector<std::string> out;
  for (const json& r : Rows(a, kParaPax))
    out.push_back(r[0].get<std::string>() + "/" + r[1].get<std::string>() + " " +
                  (r[7].is_null() ? "-" : Number(r[7]) + "-" + Number(r[8])) + ":" + Number(r[9]));
  return out;
}

class PlanningTest : public MethodTest {};

TEST_P(PlanningTest, HolesUpToTheSeatsOrTheHighestBoundAndByAirlineCodeOrShortCode) {
  using V = std::vector<std::string>;
  // Seats unknown: up to each service's highest bound.
  EXPECT_EQ(Holes(Call("GetCoberturaProp", {"0001", "0101", "1234", "01"})),
            (V{"S2/0001 1-100", "S3/0001 1-9", "S3/0001 21-29"}));
  db_->Side() << "UPDATE EQUIPAMENTO SET QTASSENTOS = 186";
  const Answer seats = Call("GetCoberturaProp", {"0001", "XY", "1234", "01"});
  EXPECT_EQ(Holes(seats), (V{"S2/0001 1-100", "S2/0002 101-186", "S3/0001 1-9", "S3/0001 21-29",
                             "S3/0001 41-186", "S4/0001 21-186"}));
  EXPECT_EQ(Rows(seats, kCobertura)[1][7], 186);
  EXPECT_EQ(Rows(seats, kCobertura)[1][4], "Almoço");
  // Fewer seats than the ranges reach: nothing past the last seat is a hole.
  db_->Side() << "UPDATE EQUIPAMENTO SET QTASSENTOS = 30";
  EXPECT_EQ(Holes(Call("GetCoberturaProp", {"0001", "0101", "1234", "01"})),
            (V{"S2/0001 1-30", "S3/0001 1-9", "S3/0001 21-29", "S4/0001 21-30"}));
  // A covered leg, another branch, and a leg without ranges: no row.
  EXPECT_TRUE(Holes(Call("GetCoberturaProp", {"0002", "0101", "1234", "01"})).empty());
  EXPECT_TRUE(Holes(Call("GetCoberturaProp", {"0001", "0101", "1234", "02"})).empty());
  EXPECT_EQ(Call("GetCoberturaProp", {"0001", "0101", "1234"}).code, rpc::kInvalidParams);
}

TEST_P(PlanningTest, QuantityForAPassengerCountPerServiceAndCountsOutsideAreRefused) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Quantities(Call("GetQtdeParaPax", {"0001", "0101", "1234", "01", "21"})),
            (V{"S1/0001 21-50:4", "S2/0001 -:-", "S2/0002 1-100:1", "S3/0001 -:-", "S4/0001 -:-"}));
  EXPECT_EQ(Quantities(Call("GetQtdeParaPax", {"0001", "XY", "1234", "01", "20"})),
            (V{"S1/0001 1-20:2", "S2/0001 -:-", "S2/0002 1-100:1", "S3/0001 10-20:1", "S4/0001 1-20:3"}));
  const auto rows = Rows(Call("GetQtdeParaPax", {"0001", "0101", "1234", "01", "9999"}), kParaPax);
  EXPECT_EQ(rows.front()[5], "ECO");
  EXPECT_EQ(rows.front()[6], "PADRAO");
  for (const char* bad : {"0", "10000", "1.5", "", " 5", "5x", "-3", "99999999999"}) {
    const Answer a = Call("GetQtdeParaPax", {"0001", "0101", "1234", "01", bad});
    EXPECT_EQ(a.code, rpc::kInvalidParams) << bad;
    EXPECT_NE(a.message.find("from 1 to 9999"), std::string::npos) << a.message;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, PlanningTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
