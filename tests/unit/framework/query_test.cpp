// Lookup queries on a demo general database: the four lookups of the main
// screen as it builds them, parameter binding, result shapes and errors.
#include <gtest/gtest.h>

#include <memory>

#include "demo_database.h"
#include "framework/GeneralDatabase.h"
#include "framework/Query.h"
#include "toolkit/data/DatabaseError.h"

namespace {

using framework::TADOIBQuery;
using Lines = std::vector<std::string>;

// The rows of one field, in order.
std::vector<std::string> Column(TADOIBQuery& q, const char* field) {
  std::vector<std::string> values;
  for (q.First(); !q.Eof(); q.Next()) values.push_back(q.FieldByName(field).AsString());
  return values;
}

std::string ErrorText(TADOIBQuery& q) {
  try {
    q.Open();
  } catch (const toolkit::EDatabaseError& e) {
    return e.what();
  }
  return "(opened)";
}

class LookupQuery : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { demo_ = std::make_unique<framework_test::DemoDatabase>("query"); }
  static void TearDownTestSuite() { demo_.reset(); }
  void SetUp() override { db.adcGeral->Open(demo_->Url()); }

  void Make(TADOIBQuery& q, const char* name, const std::vector<std::pair<const char*, int>>& fields) {
    q.SetName(name);
    q.SetConnection(db.adcGeral);
    for (const auto& [field, size] : fields) q.AddStringField(field, size);
  }
  void Set(TADOIBQuery& q, const char* param, const char* value) { q.ParamByName(param).SetAsString(value); }

  void MakeFilial() {
    Make(q, "qryFilial", {{"CDFILIAL", 4}, {"NMFILIAL", 30}});
    q.SetSQL({"SELECT", "   CDFILIAL,NMFILIAL", "FROM", "   FILIAL", "WHERE",
              "   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", "ORDER BY", "   CDFILIAL"});
  }
  void MakeClasse() {
    Make(q, "qryClasse", {{"SGCLASSE", 5}, {"DSCLASSECIA", 30}, {"CDCLASSE", 4}});
    q.SetSQL({"SELECT CL.SGCLASSE, CC.DSCLASSECIA, CC.CDCLASSE", "FROM CLASSE CL, CLASSECIA  CC",
              "WHERE ((:P_SGCLASSE = CL.SGCLASSE) OR (:P_TSGCLASSE = 'T')) AND",
              "      (CL.CDCLASSE  = CC.CDCLASSE) AND", "      (CC.CDFILIAL  = :P_CDFILIAL) AND",
              "      (CC.CDCIA     = :P_CDCIA   )", "ORDER BY CL.SGCLASSE "});
  }
  void MakeServico() {
    Make(q, "qryServicoCiaPesq",
         {{"CDARVPROD", 20}, {"CDCIA", 4}, {"CDPRODUTO", 10}, {"NMPRODUTO", 50}, {"SGCLASSE", 5}, {"IDCICLO", 10}});
    q.SetSQL({"SELECT PR.CDCIA,PR.CDPRODUTO,PR.NMPRODUTO,PR.CDARVPROD,CL.SGCLASSE,CI.IDCICLO",
              "FROM PRODUTO PR,CLASSE CL,CICLO CI", "WHERE (PR.IDPRODCOMISS = '1'           ) AND",
              "      (PR.CDNVPRODUTO  = :P_CDNVPRODUTO) AND", "      (PR.CDCIA        = :CDCIA        ) AND",
              "      (PR.CDCLASSE     = CL.CDCLASSE   ) AND", "      (CI.CDCICLO      = PR.CDCICLO    ) AND",
              "      ((PR.CDARVPROD = :CDARVPROD) OR (:TODOS = 'T'))"});
  }
  static Lines Ciclo(const char* firstCondition) {
    return {"SELECT IDCICLO, CDCICLO", "FROM CICLOCIA", firstCondition, "      (CDCIA = :P_CDCIA)     AND",
            "      (CDFILIAL = :P_CDFILIAL)", "ORDER BY CDCICLO"};
  }
  void MakeCiclo() {
    Make(q, "qryCiclo", {{"CDCICLO", 4}, {"IDCICLO", 10}});
    q.SetSQL(Ciclo("WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"));
    q.SetDialectSQL(framework::TSqlDialect::Oracle, Ciclo("WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"));
    q.SetDialectSQL(framework::TSqlDialect::MSSQL, Ciclo("WHERE (IDCICLO = ISNULL(:P_IDCICLO,IDCICLO)) AND"));
    q.SetDialectSQL(framework::TSqlDialect::InterBase, Ciclo("WHERE (IDCICLO = NVLSTR(:P_IDCICLO,IDCICLO)) AND"));
  }

  static inline std::unique_ptr<framework_test::DemoDatabase> demo_;
  framework::TdtmDBGeral db;
  TADOIBQuery q;
};

TEST_F(LookupQuery, FilialOneBranchOrAllWithTheFlag) {
  MakeFilial();
  Set(q, "P_CDFILIAL", "0002");
  Set(q, "P_TCDFILIAL", "");
  q.Open();
  EXPECT_EQ(Column(q, "NMFILIAL"), (Lines{"Cozinha Galeão"}));
  q.Close();
  q.ParamByName("P_CDFILIAL").Clear();
  Set(q, "P_TCDFILIAL", "T");
  q.Open();
  EXPECT_EQ(Column(q, "CDFILIAL"), (Lines{"0001", "0002", "0003"}));
  q.Close();
  Set(q, "P_CDFILIAL", "0009");
  Set(q, "P_TCDFILIAL", "F");
  q.Open();
  EXPECT_TRUE(q.Active());
  EXPECT_TRUE(q.IsEmpty());
}

TEST_F(LookupQuery, ClasseOfTheAirlineAtTheBranch) {
  MakeClasse();
  Set(q, "P_SGCLASSE", "PRI");
  Set(q, "P_TSGCLASSE", "");
  Set(q, "P_CDFILIAL", "0001");
  Set(q, "P_CDCIA", "0101");
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("DSCLASSECIA").AsString(), "Primeira classe");
  EXPECT_EQ(q.FieldByName("CDCLASSE").AsString(), "0003");
  q.Close();
  Set(q, "P_CDCIA", "0103");  // this airline has no first class
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
  q.Close();
  Set(q, "P_TSGCLASSE", "T");
  q.Open();
  EXPECT_EQ(Column(q, "SGCLASSE"), (Lines{"ECO", "EXE", "TRIP"}));
}

TEST_F(LookupQuery, ServicoWithTodosIgnoresTheTreeCode) {
  MakeServico();
  Set(q, "P_CDNVPRODUTO", "3");
  Set(q, "CDCIA", "0101");
  Set(q, "CDARVPROD", "01.02.003");
  Set(q, "TODOS", "");
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("NMPRODUTO").AsString(), "Almoço primeira classe");
  EXPECT_EQ(q.FieldByName("SGCLASSE").AsString(), "PRI");
  EXPECT_EQ(q.FieldByName("IDCICLO").AsString(), "PADRAO");
  q.Close();
  Set(q, "TODOS", "T");
  q.Open();
  // Only the airline's level-3 products flagged as services.
  EXPECT_EQ(q.RecordCount(), 17);
  for (const std::string& cia : Column(q, "CDCIA")) EXPECT_EQ(cia, "0101");
  q.Close();
  q.ParamByName("CDARVPROD").Clear();
  q.Open();
  EXPECT_EQ(q.RecordCount(), 17);
  q.Close();
  Set(q, "TODOS", "");
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
}

TEST_F(LookupQuery, CicloRunsTheDefaultTextOnTheseDatabases) {
  MakeCiclo();
  EXPECT_EQ(q.ActiveSQL(), "SELECT IDCICLO, CDCICLO\nFROM CICLOCIA\nWHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND\n"
                           "      (CDCIA = :P_CDCIA)     AND\n      (CDFILIAL = :P_CDFILIAL)\nORDER BY CDCICLO");
  EXPECT_EQ(q.SQL(framework::TSqlDialect::MSSQL)[2], "WHERE (IDCICLO = ISNULL(:P_IDCICLO,IDCICLO)) AND");
  q.ParamByName("P_IDCICLO").Clear();
  Set(q, "P_CDCIA", "0102");
  Set(q, "P_CDFILIAL", "0001");
  q.Open();
  EXPECT_EQ(Column(q, "CDCICLO"), (Lines{"0001", "0002", "0003", "0004"}));
  q.Close();
  Set(q, "P_IDCICLO", "VERAO");
  q.Open();
  EXPECT_EQ(Column(q, "CDCICLO"), (Lines{"0002"}));
  q.Close();
  Set(q, "P_CDCIA", "0101");  // no holiday cycle for this airline at this branch
  Set(q, "P_IDCICLO", "FERIAS");
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
}

TEST_F(LookupQuery, ValuesAreBoundNeverPasted) {
  MakeFilial();
  Set(q, "P_CDFILIAL", "0001' OR '1'='1");
  Set(q, "P_TCDFILIAL", "");
  q.Open();
  EXPECT_TRUE(q.IsEmpty());
  // Each occurrence gets its own value, whatever the value holds.
  TADOIBQuery echo;
  echo.SetConnection(db.adcGeral);
  echo.SetSQL({"SELECT :V AS V1, CDFILIAL, :v AS V2 FROM FILIAL", "WHERE CDFILIAL = :C OR :V = 'x'"});
  ASSERT_EQ(echo.Params().size(), 2u);
  const std::string tricky = "it's -- :C /* ";
  echo.ParamByName("V").SetAsString(tricky);
  echo.ParamByName("C").SetAsString("0003");
  echo.Open();
  ASSERT_EQ(echo.RecordCount(), 1);
  EXPECT_EQ(echo.FieldByName("V1").AsString(), tricky);
  EXPECT_EQ(echo.FieldByName("V2").AsString(), tricky);
  EXPECT_EQ(echo.FieldByName("CDFILIAL").AsString(), "0003");
}

TEST_F(LookupQuery, ResultColumnsBecomeFieldsWhenNoneAreDefined) {
  q.SetConnection(db.adcGeral);
  q.SetSQL({"SELECT CDCIA, NMCIA, 2.5 AS N, NULL AS Z, LENGTH(SGCIA) AS L, '7' AS T FROM COMPANHIA ORDER BY CDCIA"});
  q.Open();
  ASSERT_EQ(q.FieldCount(), 6);
  EXPECT_EQ(q.Fields(0).DataType(), packet::FieldType::String);
  EXPECT_EQ(q.Fields(0).Size(), 4);
  EXPECT_EQ(q.Fields(1).Size(), 26);  // "Celeste Transportes Aéreos", in characters
  EXPECT_EQ(q.Fields(2).DataType(), packet::FieldType::Float);
  EXPECT_DOUBLE_EQ(q.FieldByName("N").AsFloat(), 2.5);
  EXPECT_TRUE(q.FieldByName("Z").IsNull());
  EXPECT_EQ(q.FieldByName("L").DataType(), packet::FieldType::Float);
  EXPECT_DOUBLE_EQ(q.FieldByName("L").AsFloat(), 4);
  EXPECT_EQ(q.FieldByName("T").DataType(), packet::FieldType::String);
  EXPECT_EQ(q.RecordCount(), 4);
  // The fields made by the first open stay, as they would for any dataset.
  q.Close();
  q.SetSQL({"SELECT CDCIA, NMCIA, 2.5 AS N, NULL AS Z, LENGTH(SGCIA) AS L, '7' AS T FROM COMPANHIA",
            "WHERE CDCIA = '0104'"});
  q.Open();
  EXPECT_EQ(q.FieldCount(), 6);
  EXPECT_EQ(q.FieldByName("NMCIA").AsString(), "Ipê Aerolinhas");
  EXPECT_DOUBLE_EQ(q.FieldByName("L").AsFloat(), 3);
}

TEST_F(LookupQuery, DefinedFieldsTakeColumnsByNameAndType) {
  q.SetConnection(db.adcGeral);
  q.AddFloatField("cdproduto");  // text column holding a number
  q.AddStringField("CDNVPRODUTO", 2);  // integer column
  q.AddStringField("CDCLASSE", 4);
  q.AddStringField("NMPRODUTO", 7);
  q.SetSQL({"SELECT NMPRODUTO, CDCLASSE, CDNVPRODUTO, CDPRODUTO FROM PRODUTO", "WHERE CDCIA = '0101' AND CDPRODUTO = '101'"});
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_DOUBLE_EQ(q.FieldByName("CDPRODUTO").AsFloat(), 101);
  EXPECT_EQ(q.FieldByName("CDNVPRODUTO").AsString(), "1");
  EXPECT_TRUE(q.FieldByName("CDCLASSE").IsNull());
  EXPECT_EQ(q.FieldByName("NMPRODUTO").AsString(), "Refeiçõ");  // cut to the field's size
}

TEST_F(LookupQuery, FailuresAreDatabaseErrorsNamingTheQuery) {
  TADOIBQuery lacking;
  Make(lacking, "qryFalta", {{"CDFILIAL", 4}, {"NADA", 4}});
  lacking.SetSQL({"SELECT CDFILIAL FROM FILIAL WHERE 1 = 0"});  // no row: the columns still tell
  const std::string missing = ErrorText(lacking);
  EXPECT_NE(missing.find("NADA"), std::string::npos) << missing;
  EXPECT_NE(missing.find("qryFalta"), std::string::npos) << missing;
  EXPECT_FALSE(lacking.Active());

  TADOIBQuery broken;
  broken.SetName("qryQuebrada");
  broken.SetConnection(db.adcGeral);
  broken.SetSQL({"SELEC CDFILIAL FROM FILIAL"});
  const std::string driver = ErrorText(broken);
  EXPECT_NE(driver.find("qryQuebrada"), std::string::npos) << driver;
  EXPECT_NE(driver.find("A pesquisa no banco de dados falhou: "), std::string::npos) << driver;
  EXPECT_NE(driver.find("syntax error"), std::string::npos) << driver;  // the database's own words

  TADOIBQuery numbers;
  numbers.SetConnection(db.adcGeral);
  numbers.AddFloatField("NMFILIAL");
  numbers.SetSQL({"SELECT NMFILIAL FROM FILIAL"});
  EXPECT_NE(ErrorText(numbers).find("contém 'Cozinha"), std::string::npos) << ErrorText(numbers);
  EXPECT_NE(ErrorText(numbers).find("que não é um número"), std::string::npos);

  TADOIBQuery unconnected;
  unconnected.SetSQL({"SELECT CDFILIAL FROM FILIAL"});
  EXPECT_THROW(unconnected.Open(), toolkit::EDatabaseError);
  MakeFilial();
  db.adcGeral->Close();
  EXPECT_NE(ErrorText(q).find("adcGeral"), std::string::npos);
}

TEST_F(LookupQuery, ParametersWhileClosedAndOpen) {
  MakeFilial();
  EXPECT_TRUE(q.ParamByName("p_cdfilial").IsNull());
  Set(q, "p_cdfilial", "0001");
  EXPECT_EQ(q.ParamByName("P_CDFILIAL").AsString(), "0001");
  Set(q, "P_TCDFILIAL", "");
  q.Open();
  Set(q, "P_CDFILIAL", "0003");  // allowed while open; counts at the next open
  EXPECT_EQ(q.FieldByName("CDFILIAL").AsString(), "0001");
  EXPECT_THROW(q.SetSQL({"SELECT CDFILIAL FROM FILIAL"}), toolkit::EDatabaseError);
  EXPECT_THROW(q.SetDialectSQL(framework::TSqlDialect::MSSQL, {"SELECT 1"}), toolkit::EDatabaseError);
  EXPECT_EQ(q.SQL().size(), 8u);
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("CDFILIAL").AsString(), "0003");
  try {
    q.ParamByName("P_OUTRO");
    ADD_FAILURE() << "no error for an unknown parameter";
  } catch (const toolkit::EDatabaseError& e) {
    EXPECT_NE(std::string(e.what()).find("P_OUTRO"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("qryFilial"), std::string::npos);
  }
}

TEST(QueryText, NewTextKeepsTheValuesOfParametersThatStay) {
  TADOIBQuery q;
  q.SetSQL({"SELECT 1 FROM T WHERE A = :A AND B = :B"});
  q.ParamByName("A").SetAsString("1");
  q.ParamByName("B").SetAsString("2");
  q.SetSQL({"SELECT 1 FROM T", "WHERE :a = :C"});
  ASSERT_EQ(q.Params().size(), 2u);
  EXPECT_EQ(q.ParamByName("A").AsString(), "1");
  EXPECT_TRUE(q.ParamByName("C").IsNull());
  EXPECT_THROW(q.ParamByName("B"), toolkit::EDatabaseError);
  // A dialect text of its own does not change the parameters, and without a
  // connection the default text is the one that runs.
  q.SetDialectSQL(framework::TSqlDialect::MSSQL, {"SELECT 2 WHERE :Z = 1"});
  EXPECT_EQ(q.Params().size(), 2u);
  EXPECT_EQ(q.ActiveSQL(), "SELECT 1 FROM T\nWHERE :a = :C");
}

TEST(QueryText, ParamNamesSkipLiteralsCastsAndComments) {
  EXPECT_EQ(framework::ParamNames("SELECT ':NO', \"x:NO\", 'it''s :NO', :A, x::text, :b_2 FROM T\n"
                                  "WHERE y := :a -- :NO\n AND z = /* :NO */ :C"),
            (Lines{"A", "b_2", "C"}));
  EXPECT_EQ(framework::ParamNames("SELECT 1 WHERE x = ':A"), Lines{});  // unterminated literal
  EXPECT_EQ(framework::ParamNames("a = : B"), Lines{});
}

TEST(QueryText, TablesOfTheFromClauses) {
  TADOIBQuery q;
  q.SetSQL({"SELECT PR.CDCIA FROM PRODUTO PR,classe CL , CICLO", "WHERE PR.X = :A",
            "AND EXISTS (SELECT 1 FROM CICLOCIA CC JOIN Filial F ON F.X = CC.Y)", "-- FROM COMENTARIO",
            "UNION SELECT 1 FROM PRODUTO GROUP BY 1"});
  EXPECT_EQ(q.Tables(), (Lines{"PRODUTO", "CLASSE", "CICLO", "CICLOCIA", "FILIAL"}));
  q.SetSQL({"SELECT", "   CDFILIAL", "FROM", "   FILIAL", "ORDER BY", "   CDFILIAL"});
  EXPECT_EQ(q.Tables(), Lines{"FILIAL"});
  q.SetSQL({"SELECT A FROM T1 X HAVING 1 = 1"});
  EXPECT_EQ(q.Tables(), Lines{"T1"});
  q.SetSQL({"SELECT 1"});
  EXPECT_TRUE(q.Tables().empty());
}

}  // namespace
