// The history of a leg's ranges as a planner reads it: changes stored by
// two users on the screen, by a copy and by an import, then paged through
// whole, by service and by period; and the arguments it refuses. On SQLite
// and PostgreSQL.

#include "method_test_base.h"

namespace appserver_test {
namespace {

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

const std::vector<packet::FieldDef> kHistory{
    Number("IDLOG"),        Text("DTLOG", 19),       Text("NMUSUARIO", 64),  Text("IDOPERACAO", 1),
    Text("IDORIGEM", 1),    Text("DSOPERACAO", 20),  Text("CDSERVICO", 10),  Text("NMPRODUTO", 50),
    Number("QTPAXDE_OLD"),  Number("QTPAXATE_OLD"),  Text("CDCLASSE_OLD", 4), Text("CDCICLO_OLD", 4),
    Number("QTSERVICO_OLD"), Number("QTPAXDE_NEW"),  Number("QTPAXATE_NEW"), Text("CDCLASSE_NEW", 4),
    Text("CDCICLO_NEW", 4), Number("QTSERVICO_NEW")};

const std::string kCsvHeader =
    "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço\n";

std::string Whole(const json& v) { return std::to_string(v.get<long long>()); }

// "21-40 0001/0001 x5" for the range at columns at..at+4, "-" for none.
std::string Side(const json& r, std::size_t at) {
  if (r[at].is_null()) return "-";
  return Whole(r[at]) + "-" + Whole(r[at + 1]) + " " + r[at + 2].get<std::string>() + "/" +
         r[at + 3].get<std::string>() + " x" + Whole(r[at + 4]);
}

// "ana A/ alteração S1 1-20 0001/0001 x2 > 1-20 0001/0001 x3" per row.
std::vector<std::string> Lines(const std::vector<json>& rows) {
  std::vector<std::string> out;
  for (const json& r : rows)
    out.push_back(r[2].get<std::string>() + " " + r[3].get<std::string>() + "/" + r[4].get<std::string>() + " " +
                  r[5].get<std::string>() + " " + r[6].get<std::string>() + " " + Side(r, 8) + " > " + Side(r, 13));
  return out;
}

class HistoryTest : public MethodTest {
 protected:
  // Every page of the history, asked `page` rows at a time as a caller
  // does: each page below the last row of the one before. Checks that
  // IDLOG only goes down, so that no row comes twice, and that only the
  // last page is short. The sizes of the pages go to *sizes.
  std::vector<json> AllPages(const std::string& airline, const std::string& service, const std::string& from,
                             const std::string& to, int page, std::vector<std::size_t>* sizes = nullptr) {
    std::vector<json> all;
    std::string before;
    for (int calls = 0; calls < 100; ++calls) {
      const Answer a =
          Call("GetHistoricoProp", {"0001", airline, "1234", "01", service, from, to, std::to_string(page), before});
      const std::vector<json> rows = Rows(a, kHistory);
      if (sizes) sizes->push_back(rows.size());
      for (const json& r : rows) {
        if (!all.empty()) {
          EXPECT_LT(r[0].get<double>(), all.back()[0].get<double>()) << "IDLOG must go down";
        }
        all.push_back(r);
      }
      if (!a.ok || rows.size() < static_cast<std::size_t>(page)) return all;
      before = Whole(rows.back()[0]);
    }
    ADD_FAILURE() << "the pages never ended";
    return all;
  }

  static Answer Save(Caller& who, std::vector<json> changes) {
    return who.Call("SetQtdePropServico", json::array({ChangeLog(std::move(changes))}));
  }

  Answer Import(const std::string& lines) {
    return Call("ImportaPropServico", {"0001", "XY", kCsvHeader + lines, "acrescentar", "N"});
  }
};

TEST_P(HistoryTest, ScreenCopyAndImportChangesPageNewestFirstWholeByServiceAndByPeriod) {
  // The screen: ana includes, alters and excludes; then bia alters, also on
  // branch 0002, whose history is another leg's.
  const Answer anaSaved =
      Save(*caller_, {{{"op", "insert"}, {"new", Range("S4", 21, 40, 5)}},
                      {{"op", "modify"}, {"old", Range("S1", 1, 20, 2)}, {"new", Range("S1", 1, 20, 3)}},
                      {{"op", "delete"}, {"old", Range("S3", 30, 40, 2)}}});
  ASSERT_TRUE(anaSaved.ok) << anaSaved.message;
  json otherBranch = Range("S1", 1, 9999, 7), otherBranchNew = Range("S1", 1, 9999, 8);
  otherBranch["CDFILIAL"] = otherBranchNew["CDFILIAL"] = "0002";
  Caller bia(db_->Where(), "bia");
  const Answer biaSaved = Save(bia, {{{"op", "modify"}, {"old", Range("S4", 1, 20, 3)}, {"new", Range("S4", 1, 20, 4)}},
                                     {{"op", "modify"}, {"old", otherBranch}, {"new", otherBranchNew}}});
  ASSERT_TRUE(biaSaved.ok) << biaSaved.message;
  // S2 copied to leg 02 and back again, replacing: the way back excludes and
  // includes on leg 01.
  for (const auto& [from, to] : {std::pair{"01", "1234/02"}, std::pair{"02", "1234/01"}}) {
    const Answer copied = Call("CopiaPropServico", {"0001", "XY", "1234", from, to, "S2", "substituir", "N"});
    ASSERT_TRUE(copied.ok) << copied.message;
  }
  // An import alters S1 and includes S5 on leg 01, and includes on leg 02.
  const Answer imported = Import(
      "0001;XY;1234;01;01.01.001;;;21;50;5\n"
      "0001;XY;1234;01;01.03.001;;;1;30;2\n"
      "0001;XY;1234;02;01.01.001;;;1;10;1\n");
  ASSERT_TRUE(imported.ok) << imported.message;

  // What each tool stored is known by its origin; each gets a time of its own.
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDORIGEM IS NULL"), 5);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDORIGEM = 'C'"), 6);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDORIGEM = 'I'"), 3);
  db_->Side() << "UPDATE PROPSERVICO_LOG SET DTLOG = '2024-01-10 08:00:00.250' WHERE NMUSUARIO = 'ana' "
                 "AND IDORIGEM IS NULL";
  db_->Side() << "UPDATE PROPSERVICO_LOG SET DTLOG = '2024-02-01 00:00:00.000' WHERE NMUSUARIO = 'bia'";
  db_->Side() << "UPDATE PROPSERVICO_LOG SET DTLOG = '2024-02-15 12:00:00.000' WHERE IDORIGEM = 'C'";
  db_->Side() << "UPDATE PROPSERVICO_LOG SET DTLOG = '2024-03-01 09:30:00.999' WHERE IDORIGEM = 'I'";

  using V = std::vector<std::string>;
  const V leg{"ana I/I importação S5 - > 1-30 0002/0002 x2",
              "ana A/I importação S1 21-50 0001/0001 x4 > 21-50 0001/0001 x5",
              "ana I/C cópia S2 - > 101-200 0001/0001 x2",
              "ana I/C cópia S2 - > 1-100 0002/0002 x1",
              "ana E/C cópia S2 101-200 0001/0001 x2 > -",
              "ana E/C cópia S2 1-100 0002/0002 x1 > -",
              "bia A/ alteração S4 1-20 0001/0001 x3 > 1-20 0001/0001 x4",
              "ana E/ exclusão S3 30-40 0001/0001 x2 > -",
              "ana A/ alteração S1 1-20 0001/0001 x2 > 1-20 0001/0001 x3",
              "ana I/ inclusão S4 - > 21-40 0001/0001 x5"};
  std::vector<std::size_t> sizes;
  const std::vector<json> whole = AllPages("XY", "", "", "", 3, &sizes);
  EXPECT_EQ(Lines(whole), leg);
  EXPECT_EQ(sizes, (std::vector<std::size_t>{3, 3, 3, 1}));
  ASSERT_EQ(whole.size(), leg.size());
  EXPECT_EQ(whole.front()[1], "2024-03-01 09:30:00");
  EXPECT_EQ(whole.back()[1], "2024-01-10 08:00:00");
  EXPECT_EQ(whole.back()[7], "Água");
  // One page holding everything, by the airline's code: the same rows.
  EXPECT_EQ(Lines(Rows(Call("GetHistoricoProp", {"0001", "0101", "1234", "01", "", "", "", "500", ""}), kHistory)),
            leg);

  EXPECT_EQ(Lines(AllPages("XY", "S2", "", "", 3)), V(leg.begin() + 2, leg.begin() + 6));
  // From bia's change (at its very millisecond) to the import's second,
  // which ends the period: the copy and bia.
  sizes.clear();
  const std::vector<json> period = AllPages("0101", "", "2024-02-01 00:00:00", "2024-03-01 09:30:00", 2, &sizes);
  EXPECT_EQ(Lines(period), V(leg.begin() + 2, leg.begin() + 7));
  EXPECT_EQ(sizes, (std::vector<std::size_t>{2, 2, 1}));
  EXPECT_EQ(period.front()[1], "2024-02-15 12:00:00");
  EXPECT_EQ(Lines(AllPages("XY", "S4", "2024-01-01 00:00:00", "2024-02-01 00:00:00", 2)), V{leg.back()});
  EXPECT_EQ(Lines(AllPages("XY", "", "2024-03-01 09:30:00", "", 50)), V(leg.begin(), leg.begin() + 2));
  EXPECT_EQ(Lines(AllPages("XY", "", "", "2024-01-10 08:00:01", 1)), V(leg.end() - 3, leg.end()));
  // A leg without changes, a service without any, another airline's leg.
  EXPECT_TRUE(Lines(AllPages("XY", "S9", "", "", 5)).empty());
  EXPECT_TRUE(Rows(Call("GetHistoricoProp", {"0001", "ZW", "1234", "01", "", "", "", "5", ""}), kHistory).empty());
}

TEST_P(HistoryTest, BadArgumentsAreRefusedNamingTheArgument) {
  const std::vector<std::string> good{"0001", "XY", "1234", "01", "", "", "", "50", ""};
  // Argument (from 1) and the text it is given.
  const std::vector<std::pair<std::size_t, std::string>> bad{
      {1, "00001"}, {2, "XYZWVU"}, {3, "123456"}, {4, "01'--"}, {5, "SERVICO'--X"},
      {5, "ÁÁÁÁÁÁÁÁÁÁÁ"},  // eleven characters, though 22 bytes
      {6, "2024-02-30 00:00:00"}, {6, "2023-02-29 00:00:00"}, {6, "2024-01-01T00:00:00"},
      {6, "2024-01-01 24:00:00"}, {6, "2024-1-01 00:00:00"}, {6, "2024-01-01 00:00"}, {7, "amanhã"},
      {8, "0"}, {8, "501"}, {8, ""}, {8, " 5"}, {8, "-1"}, {8, "1.5"}, {8, "5x"},
      {9, "0"}, {9, "-5"}, {9, "abc"}, {9, "99999999999999999999"}};
  for (const auto& [argument, text] : bad) {
    std::vector<std::string> params = good;
    params[argument - 1] = text;
    const Answer a = Call("GetHistoricoProp", params);
    EXPECT_EQ(a.code, rpc::kInvalidParams) << argument << " " << text;
    EXPECT_EQ(a.message.rfind("GetHistoricoProp: argument " + std::to_string(argument) + " ", 0), 0u) << a.message;
  }
  // A period that ends where it starts, or before.
  for (const char* to : {"2024-05-01 10:00:00", "2024-04-30 23:59:59"}) {
    const Answer a = Call("GetHistoricoProp", {"0001", "XY", "1234", "01", "", "2024-05-01 10:00:00", to, "50", ""});
    EXPECT_EQ(a.code, rpc::kInvalidParams) << to;
    EXPECT_NE(a.message.find("argument 7"), std::string::npos) << a.message;
  }
  EXPECT_EQ(Call("GetHistoricoProp", {"0001", "XY", "1234", "01", "", "", "", "50"}).code, rpc::kInvalidParams);
  EXPECT_EQ(Call("GetHistoricoProp", {"0001", "XY", "1234", "01", "", "", "", 50, ""}).code, rpc::kInvalidParams);
  const Answer unknown = Call("GetHistoricoProp", {"0001", "X'Y", "1234", "01", "", "", "", "50", ""});
  EXPECT_EQ(unknown.code, rpc::kUnknownReference);
  EXPECT_EQ(unknown.message, "Companhia X'Y não cadastrada.");
  // At the edges of what is allowed: answered, with no row.
  for (const auto& edge : std::vector<std::vector<std::string>>{
           {"0001", "XY", "1234", "01'", "ÁÁÁÁÁÁÁÁÁÁ", "2024-02-29 23:59:59", "", "500", "9223372036854775807"},
           {"'", "XY", "'", "'", "'", "", "9999-12-31 23:59:59", "1", "1"}}) {
    const Answer a = Call("GetHistoricoProp", edge);
    EXPECT_TRUE(a.ok) << a.message;
    EXPECT_TRUE(Rows(a, kHistory).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
