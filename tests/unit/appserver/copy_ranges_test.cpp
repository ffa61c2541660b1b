// Copying one leg's ranges to others of the airline, as a planner does it:
// a preview, an apply refused for an overlap that stores nothing, then a
// replace; on SQLite and PostgreSQL.

#include "method_test_base.h"

namespace appserver_test {
namespace {

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

const std::vector<packet::FieldDef> kCopy{Text("NRVOO", 5),      Text("CDTRECHO", 4),   Text("CDSERVICO", 10),
                                          Text("CDARVPROD", 20), Text("NMPRODUTO", 50), Number("QTINCLUIR"),
                                          Number("QTREMOVER"),   Text("IDRECUSA", 1),   Text("DSMOTIVO", 200),
                                          Text("IDESTADO", 16)};

// "0500/01 S1 +3 -1" per row, "... recusado: why" for a refusal.
std::vector<std::string> Outcomes(const Answer& a) {
  std::vector<std::string> out;
  for (const json& r : Rows(a, kCopy)) {
    std::string line = r[0].get<std::string>() + "/" + r[1].get<std::string>() + " " + r[2].get<std::string>();
    if (r[7] == "S")
      line += " recusado: " + r[8].get<std::string>();
    else
      line += " +" + std::to_string(r[5].get<int>()) + " -" + std::to_string(r[6].get<int>());
    out.push_back(line);
  }
  return out;
}

class CopyTest : public MethodTest {
 protected:
  int Ranges(const std::string& leg) {
    return db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE CDFILIAL = '0001' AND NRVOO || '/' || CDTRECHO = '" +
                      leg + "'");
  }
  int LogRows() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'ana'"); }
};

TEST_P(CopyTest, PreviewThenAnOverlapRefusesTheWholeCopyThenReplaceStoresIt) {
  using V = std::vector<std::string>;
  db_->Side() << "INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, "
                 "CDCICLO, QTSERVICO) VALUES ('0001', '0101', '0500', '01', 'S1', 10, 30, '0001', '0001', 9)";
  const json targets = "1234/02;0500/01;0500/01;0500/09";
  const Answer preview = Call("CopiaPropServico", {"0001", "XY", "1234", "01", targets, "", "acrescentar", "S"});
  EXPECT_EQ(Outcomes(preview),
            (V{"1234/02 S1 +3 -0", "1234/02 S2 +2 -0", "1234/02 S3 +2 -0", "1234/02 S4 +1 -0",
               "0500/01 S1 recusado: A faixa de 1 a 20 passageiros sobrepõe a faixa de 10 a 30 já cadastrada no destino.",
               "0500/01 S2 +2 -0", "0500/01 S3 +2 -0", "0500/01 S4 +1 -0",
               "0500/09  recusado: Vôo 0500, trecho 09 não cadastrado para a filial e a companhia."}));
  EXPECT_EQ(Rows(preview, kCopy)[0][4], "Café da manhã");

  // Applied with a refusal: nothing anywhere.
  const Answer refused = Call("CopiaPropServico", {"0001", "0101", "1234", "01", "1234/02;0500/01", "", "acrescentar", "N"});
  EXPECT_EQ(refused.code, rpc::kRuleViolated);
  EXPECT_NE(refused.message.find("(vôo 0500, trecho 01)"), std::string::npos) << refused.message;
  EXPECT_EQ(Ranges("1234/02"), 0);
  EXPECT_EQ(Ranges("0500/01"), 1);
  EXPECT_EQ(LogRows(), 0);

  // Replace, after a preview; another station changes the target's S1
  // in between: the apply that follows the preview stores nothing.
  const json both = "1234/02;0500/01";
  const Answer seen = Call("CopiaPropServico", {"0001", "0101", "1234", "01", both, "", "substituir", "S"});
  const json state = Rows(seen, kCopy)[0][9];
  db_->Side() << "UPDATE PROPSERVICO SET QTSERVICO = 8 WHERE NRVOO = '0500'";
  const Answer stale = Call("CopiaPropServico", {"0001", "0101", "1234", "01", both, "", "substituir", "N", state});
  EXPECT_EQ(stale.code, rpc::kConflict) << stale.message;
  EXPECT_EQ(Ranges("1234/02"), 0);
  EXPECT_EQ(LogRows(), 0);

  // Replace: the target's S1 goes, the source's ranges come, each logged.
  const Answer fresh = Call("CopiaPropServico", {"0001", "0101", "1234", "01", both, "", "substituir", "S"});
  EXPECT_NE(Rows(fresh, kCopy)[0][9], state);
  const Answer applied =
      Call("CopiaPropServico", {"0001", "0101", "1234", "01", both, "", "substituir", "N", Rows(fresh, kCopy)[0][9]});
  ASSERT_TRUE(applied.ok) << applied.message;
  EXPECT_EQ(Outcomes(applied)[4], "0500/01 S1 +3 -1");
  EXPECT_EQ(Ranges("1234/02"), 8);
  EXPECT_EQ(Ranges("0500/01"), 8);
  EXPECT_EQ(LogRows(), 17);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE NRVOO = '0500' AND CDSERVICO = 'S1' AND "
                       "QTPAXDE = 51 AND QTPAXATE = 9999 AND QTSERVICO = 6"), 1);

  // One service only, added where it fits.
  db_->Side() << "DELETE FROM PROPSERVICO WHERE NRVOO = '1234' AND CDTRECHO = '02' AND CDSERVICO = 'S4'";
  const Answer one = Call("CopiaPropServico", {"0001", "0101", "1234", "01", "1234/02", "S4", "acrescentar", "N"});
  EXPECT_EQ(Outcomes(one), (V{"1234/02 S4 +1 -0"}));
  EXPECT_EQ(Ranges("1234/02"), 8);
}

TEST_P(CopyTest, BadRequestsAreRefusedBeforeAnythingIsRead) {
  auto copy = [this](json targets, json service, json mode, json preview, json airline = "0101") {
    return Call("CopiaPropServico", {"0001", airline, "1234", "01", targets, service, mode, preview});
  };
  const Answer self = copy("0500/01;1234/01", "", "substituir", "N");
  EXPECT_EQ(self.code, rpc::kInvalidParams);
  EXPECT_NE(self.message.find("não pode ser destino da própria cópia"), std::string::npos) << self.message;
  for (const Answer& a : {copy("", "", "substituir", "S"), copy("0500", "", "substituir", "S"),
                          copy("0500/01/02", "", "substituir", "S"), copy("0500/01", "", "trocar", "S"),
                          copy("0500/01", "", "substituir", "sim"), copy("123456/01", "", "substituir", "S")})
    EXPECT_EQ(a.code, rpc::kInvalidParams) << a.message;
  EXPECT_EQ(copy("0500/01", "", "substituir", "S", "ZZ").code, rpc::kUnknownReference);
  EXPECT_EQ(copy("0500/01", "S5", "substituir", "S").code, rpc::kRuleViolated);  // no S5 on the source
  EXPECT_EQ(Call("CopiaPropServico", {"0001", "0101", "1234", "01", "0500/01"}).code, rpc::kInvalidParams);
  EXPECT_EQ(LogRows(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, CopyTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
