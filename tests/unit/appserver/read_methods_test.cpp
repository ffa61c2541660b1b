#include "appserver/Fields.h"
#include "method_test_base.h"

namespace appserver_test {
namespace {

namespace f = appserver::fields;

std::vector<std::string> Column(const std::vector<json>& rows, std::size_t c) {
  std::vector<std::string> out;
  for (const json& r : rows)
    out.push_back(r[c].is_null() ? "<null>" : r[c].is_string() ? r[c].get<std::string>() : r[c].dump());
  return out;
}

using V = std::vector<std::string>;

TEST_P(MethodTest, GetCompanhiaLookupListsEveryLegOfTheBranchInOrder) {
  const auto rows = Rows(Call("GetCompanhia", {"", "T", "0001", "", "T", "", "T"}), f::Companhia());
  EXPECT_EQ(Column(rows, 1), (V{"XY", "XY", "XY", "XY", "ZW"}));
  EXPECT_EQ(Column(rows, 3), (V{"0500", "1234", "1234", "1234", "7777"}));
  EXPECT_EQ(Column(rows, 8), (V{"01", "01", "02", "03", "01"}));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1], json({"0101", "XY", "Xis Aviação", "1234", "GRU", "GIG", "0001", "GRU-GIG 07h00", "01", "PR-AAA",
                           "JT-100"}));
  EXPECT_TRUE(rows[3][10].is_null()) << "a leg without equipment is still listed";
}

TEST_P(MethodTest, GetCompanhiaFlagsLiftTheirFilters) {
  // Airline, flight and leg given: that leg only.
  auto rows = Rows(Call("GetCompanhia", {"XY", "", "0001", "1234", "", "02", ""}), f::Companhia());
  EXPECT_EQ(Column(rows, 8), V{"02"});
  // No flight typed: every flight and leg of the airline.
  rows = Rows(Call("GetCompanhia", {"XY", "", "0001", "", "T", "", "T"}), f::Companhia());
  EXPECT_EQ(rows.size(), 4u);
  // No leg chosen: every leg of the flight, whatever the leg argument says.
  rows = Rows(Call("GetCompanhia", {"XY", "", "0001", "1234", "", "99", "T"}), f::Companhia());
  EXPECT_EQ(rows.size(), 3u);
  // The first three alone: the airline's legs at the branch.
  rows = Rows(Call("GetCompanhia", {"XY", "", "0001"}), f::Companhia());
  EXPECT_EQ(rows.size(), 4u);
  // Empty flags keep filters: a flight that does not exist, or another branch.
  EXPECT_TRUE(Rows(Call("GetCompanhia", {"XY", "", "0001", "9999", "", "", "T"}), f::Companhia()).empty());
  EXPECT_EQ(Rows(Call("GetCompanhia", {"XY", "", "0002", "", "T", "", "T"}), f::Companhia()).size(), 1u);
  EXPECT_TRUE(Rows(Call("GetCompanhia", {"0101", "", "0001"}), f::Companhia()).empty()) << "matches SGCIA only";
}

TEST_P(MethodTest, GetCompanhiaGivesItsReferenceFlagsBack) {
  Answer a = Call("GetCompanhia", {"XY", "", "0001", "", "T", "01", ""});
  ASSERT_TRUE(a.ok) << a.message;
  EXPECT_EQ(a.byref, json({"T", ""}));
  EXPECT_EQ(Call("GetCompanhia", {"XY", "", "0001"}).byref, json());
}

TEST_P(MethodTest, GetPropServicoOneRowPerServiceClassAndCycle) {
  for (const char* airline : {"XY", "0101"}) {
    const auto rows = Rows(Call("GetPropServico", {"0001", airline, "1234", "01"}), f::PropServico());
    EXPECT_EQ(Column(rows, 0), (V{"01.01.001", "01.01.002", "01.01.002", "01.02.001", "01.02.002"})) << airline;
    EXPECT_EQ(Column(rows, 3), (V{"ECO", "ECO", "EXE", "ECO", "ECO"}));
    EXPECT_EQ(Column(rows, 4), (V{"PADRAO", "PADRAO", "VERAO", "PADRAO", "PADRAO"}));
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], json({"01.01.001", "S1", "Café da manhã", "ECO", "PADRAO", "0101", "Xis Aviação", "0001", "0001",
                             "0001", "01", "1234"}));
  }
  EXPECT_TRUE(Rows(Call("GetPropServico", {"0001", "XY", "1234", "02"}), f::PropServico()).empty());
  EXPECT_EQ(Rows(Call("GetPropServico", {"0002", "XY", "1234", "01"}), f::PropServico()).size(), 1u);
}

TEST_P(MethodTest, GetQtdePropServicoRangesOfOneServiceInOrder) {
  auto rows =
      Rows(Call("GetQtdePropServico", {"0001", "XY", "S1", "0001", "0001", "1234", "01"}), f::QtdePropServico());
  EXPECT_EQ(Column(rows, 2), (V{"1.0", "21.0", "51.0"}));
  EXPECT_EQ(Column(rows, 4), (V{"20.0", "50.0", "9999.0"}));
  EXPECT_EQ(rows.at(0), json({"S1", "0101", 1.0, 2.0, 20.0, "0001", "0001", "0001", "1234", "01"}));
  // Class and cycle filter when given; blank ones lift it.
  rows = Rows(Call("GetQtdePropServico", {"0001", "0101", "S2", "0002", "0002", "1234", "01"}), f::QtdePropServico());
  EXPECT_EQ(Column(rows, 2), V{"1.0"});
  rows = Rows(Call("GetQtdePropServico", {"0001", "0101", "S2", " ", "", "1234", "01"}), f::QtdePropServico());
  EXPECT_EQ(Column(rows, 2), (V{"1.0", "101.0"}));
  // Blank service keys, as at the first activation: no row.
  EXPECT_TRUE(Rows(Call("GetQtdePropServico", {"0001", "", "", "", "", "", ""}), f::QtdePropServico()).empty());
  EXPECT_TRUE(
      Rows(Call("GetQtdePropServico", {"0001", "XY", "  ", "", "", "1234", "01"}), f::QtdePropServico()).empty());
}

TEST_P(MethodTest, GetValidaServAnswersTheServiceRangesOfTheLeg) {
  EXPECT_EQ(Rows(Call("GetValidaServ", {"S1", "0001", "0101", "1234", "01"}), f::ValidaServ()).size(), 3u);
  EXPECT_TRUE(Rows(Call("GetValidaServ", {"S5", "0001", "0101", "1234", "01"}), f::ValidaServ()).empty());
  EXPECT_TRUE(Rows(Call("GetValidaServ", {"S1", "0001", "0101", "1234", "02"}), f::ValidaServ()).empty());
}

TEST_P(MethodTest, GetMaiorPaxHighestUpperBoundOrNull) {
  EXPECT_EQ(Rows(Call("GetMaiorPax", {"0001", "0101", "S4", "1234", "01"}), f::MaiorPax()), std::vector<json>{{20.0}});
  EXPECT_EQ(Rows(Call("GetMaiorPax", {"0001", "0101", "S3", "1234", "01"}), f::MaiorPax()), std::vector<json>{{40.0}});
  EXPECT_EQ(Rows(Call("GetMaiorPax", {"0001", "0101", "S5", "1234", "01"}), f::MaiorPax()),
            std::vector<json>{{nullptr}});
}

TEST_P(MethodTest, GetFindPropCountsExactBounds) {
  auto cont = [&](double de, double ate) {
    return Rows(Call("GetFindProp", {"0001", "0101", "S1", de, ate, "1234", "01"}), f::FindProp()).at(0)[0];
  };
  EXPECT_EQ(cont(1, 20), 1.0);
  EXPECT_EQ(cont(1, 21), 0.0);
  EXPECT_EQ(cont(21, 50), 1.0);
}

TEST_P(MethodTest, GetTestaPropSeCollisionCodes) {
  auto pax = [&](double de, double ate) {
    const auto rows = Rows(Call("GetTestaPropSe", {"0001", "0101", "S3", de, ate, "1234", "01"}), f::TestaPropSe());
    return rows.empty() ? std::string("none") : rows[0][0].get<std::string>();
  };
  EXPECT_EQ(pax(15, 25), "1");
  EXPECT_EQ(pax(5, 12), "2");
  EXPECT_EQ(pax(5, 25), "3");
  EXPECT_EQ(pax(21, 29), "none");
  EXPECT_EQ(pax(10, 20), "none") << "the range with the very same bounds is the one being edited";
  EXPECT_EQ(pax(41, 9999), "none");
}

TEST_P(MethodTest, WrongArgumentsAreInvalidParams) {
  const std::vector<std::pair<std::string, json>> bad{
      {"GetCompanhia", {"XY", ""}},
      {"GetCompanhia", {"XY", "", "0001", "1234", "", "01", "", "extra"}},
      {"GetCompanhia", {"XY", "", 1}},
      {"GetPropServico", {"0001", "XY", "1234"}},
      {"GetQtdePropServico", {"0001", "XY", "S1", "", "", "1234", nullptr}},
      {"GetValidaServ", json::object({{"servico", "S1"}})},
      {"GetMaiorPax", {"0001", "0101", "S1", "1234", 1}},
      {"GetFindProp", {"0001", "0101", "S1", "1", "20", "1234", "01"}},
      {"GetTestaPropSe", {"0001", "0101", "S1", 1, "x", "1234", "01"}},
      {"SetQtdePropServico", {"[]"}},
      {"SetQtdePropServico", json::array()}};
  for (const auto& [method, params] : bad) {
    const Answer a = Call(method, params);
    EXPECT_FALSE(a.ok) << method << " " << params.dump();
    EXPECT_EQ(a.code, -32602) << method << " " << params.dump();
    EXPECT_NE(a.message.find(method), std::string::npos) << a.message;
  }
}

TEST_P(MethodTest, QuotesAndSqlInArgumentsAreJustText) {
  for (const std::string evil : {"0001' OR '1'='1", "'; DELETE FROM PROPSERVICO; --", "\"XY\"", "%", "0001;"}) {
    EXPECT_TRUE(
        Rows(Call("GetQtdePropServico", {evil, evil, "S1", "", "", "1234", "01"}), f::QtdePropServico()).empty());
    EXPECT_TRUE(Rows(Call("GetCompanhia", {evil, "", evil}), f::Companhia()).empty());
    EXPECT_TRUE(Rows(Call("GetPropServico", {"0001", evil, evil, evil}), f::PropServico()).empty());
  }
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO"), 9);
}

INSTANTIATE_TEST_SUITE_P(Backends, MethodTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
