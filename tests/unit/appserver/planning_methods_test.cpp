// The planning reads other programs call: holes in a leg's ranges, and what
// each service gives for a passenger count; on SQLite and PostgreSQL.

#include <algorithm>
#include <fstream>

#include "appserver/db/Soci.h"
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

// A column of a soci row as text, whatever type the back end gives it.
std::string Cell(const soci::row& row, std::size_t i) {
  if (row.get_indicator(i) == soci::i_null) return "-";
  switch (row.get_properties(i).get_data_type()) {
    case soci::dt_string: return row.get<std::string>(i);
    case soci::dt_double: return std::to_string(static_cast<long long>(row.get<double>(i)));
    case soci::dt_integer: return std::to_string(row.get<int>(i));
    case soci::dt_long_long: return std::to_string(row.get<long long>(i));
    default: return "?";
  }
}

// SQLite may hand a computed bound back as the text "21.0".
std::string Whole(const std::string& number) { return std::to_string(std::stoll(number)); }

// The printed report of an airline's holes runs its own query on the
// general database; it must find exactly the holes the method finds, leg
// by leg, on either back end.
TEST_P(PlanningTest, TheAirlineReportFindsTheHolesTheMethodFinds) {
  std::ifstream file(std::string(ATE_REPORTS_DIR) + "/Ate116Cob.json");
  ASSERT_TRUE(file) << "no coverage report definition";
  std::string sql;
  const json definition = json::parse(file);
  for (const json& line : definition["body"]["sql"]) sql += line.get<std::string>() + "\n";
  // The parameters as the report binds them, written in.
  for (const auto& [name, value] : {std::pair<std::string, std::string>{":P_CDFILIAL", "'0001'"}, {":CDCIA", "'0101'"}})
    sql.replace(sql.find(name), name.size(), value);
  db_->Side() << "INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, "
                 "CDCICLO, QTSERVICO) VALUES ('0001', '0101', '1234', '02', 'S1', 5, 10, '0001', '0001', 1), "
                 "('0001', '0101', '1234', '02', 'S1', 8, 30, '0001', '0001', 1), "
                 "('0001', '0101', '1234', '02', 'S1', 40, 60, '0001', '0001', 1)";
  for (const char* seats : {"NULL", "186", "30", "9"}) {
    db_->Side() << "UPDATE EQUIPAMENTO SET QTASSENTOS = " << seats;
    std::vector<std::string> method, report;
    for (const char* leg : {"01", "02"})
      for (const json& r : Rows(Call("GetCoberturaProp", {"0001", "0101", "1234", leg}), kCobertura))
        method.push_back(std::string("1234/") + leg + " " + r[3].get<std::string>() + " " + Number(r[5]) + "-" +
                         Number(r[6]));
    soci::rowset<soci::row> rows = db_->Side().prepare << sql;
    for (const soci::row& r : rows)
      report.push_back(Cell(r, 0) + " " + Cell(r, 5) + " " + Whole(Cell(r, 9)) + "-" + Whole(Cell(r, 10)));
    std::sort(method.begin(), method.end());
    std::sort(report.begin(), report.end());
    EXPECT_EQ(report, method) << "seats " << seats;
    EXPECT_FALSE(method.empty()) << "seats " << seats;
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, PlanningTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
