// Importing a CSV of ranges as a planner does it: a preview with bad lines,
// an apply they refuse, the file fixed and applied replacing, an apply after
// another user's change; then files that are no such CSV. On SQLite and
// PostgreSQL.

#include "appserver/CsvReader.h"
#include "appserver/ImportLines.h"
#include "method_test_base.h"

namespace appserver_test {
namespace {

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

const std::vector<packet::FieldDef> kImport{Number("NRLINHA"),     Text("NRVOO", 5),    Text("CDTRECHO", 4),
                                            Number("QTINCLUIR"),   Number("QTALTERAR"), Number("QTREMOVER"),
                                            Text("DSMOTIVO", 200), Text("IDESTADO", 16)};

const std::string kHeader = "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;Pax. Mínimo;Pax. Máximo;Qtde. Serviço\n";

// "1234/01 +0 ~1 -4" per leg, "7 1234/02: why" per refused line.
std::vector<std::string> Outcomes(const Answer& a) {
  std::vector<std::string> out;
  for (const json& r : Rows(a, kImport)) {
    const std::string leg = r[1].get<std::string>() + "/" + r[2].get<std::string>();
    if (r[0].is_null())
      out.push_back(leg + " +" + std::to_string(r[3].get<int>()) + " ~" + std::to_string(r[4].get<int>()) + " -" +
                    std::to_string(r[5].get<int>()));
    else
      out.push_back(std::to_string(r[0].get<int>()) + " " + leg + ": " + r[6].get<std::string>());
  }
  return out;
}

class ImportTest : public MethodTest {
 protected:
  Answer Import(const std::string& csv, const char* mode, const char* preview, json state = nullptr) {
    json params = {"0001", "XY", csv, mode, preview};
    if (!state.is_null()) params.push_back(state);
    return Call("ImportaPropServico", params);
  }
  int Ranges() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO"); }
  int LogRows() { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE NMUSUARIO = 'ana'"); }
  int Stored(const std::string& where) { return db_->Count("SELECT COUNT(*) FROM PROPSERVICO WHERE " + where); }
};

TEST_P(ImportTest, PreviewWithBadLinesRefusedApplyFixedFileReplacesAndAStaleApplyStoresNothing) {
  using V = std::vector<std::string>;
  const std::string good =
      "0001;XY;1234;01;01.01.001;ECO;PADRAO;1;20;2\n"
      "0001;XY;1234;01;01.01.001;;;21;50;5\n"
      "0001;XY;1234;01;01.01.001;eco;padrao;51;9999;6\n"
      "0001;XY;1234;01;01.01.002;EXE;VERAO;1;100;1\n"
      "0001;XY;1234;02;01.02.001;;;1;50;2,5\n";
  const std::string bad =
      "0001;XY;1234;02;01.02.001;;;40;60;1\n"
      "0001;XY;1234;02;01.02.001;;;1;50;3\n"
      "0002;XY;1234;01;01.01.001;;;1;20;2\n"
      "0001;ZW;1234;01;01.01.001;;;1;20;2\n"
      "0001;XY;9999;01;01.01.001;;;1;20;2\n"
      "0001;XY;1234;01;09.09.999;;;1;20;2\n"
      "0001;XY;1234;01;01.02.002;LUXO;;1;20;2\n"
      "0001;XY;1234;01;01.02.002;;INVERNO;1;20;2\n"
      "0001;XY;1234;01;01.02.002;;;1;x;2\n"
      "0001;XY;1234;01;01.02.002;;;1;2,5;2\n"
      "0001;XY;1234;01;01.02.002;;;30;10;2\n"
      "0001;XY;1234;01;01.02.002;;;0;10;2\n"
      "0001;XY;1234;01;01.02.002;;;1;20\n"
      "\n"
      "0001;XY;1234;01;01.02.002;;;1;20;100000\n";
  const int before = Ranges();
  const Answer preview = Import(kHeader + good + bad, "substituir", "S");
  EXPECT_EQ(
      Outcomes(preview),
      (V{"1234/01 +0 ~1 -4", "1234/02 +1 ~0 -0",
         "7 1234/02: A faixa de 40 a 60 passageiros do serviço 01.02.001 sobrepõe a da linha 6 (de 1 a 50).",
         "8 1234/02: A faixa de 1 a 50 passageiros do serviço 01.02.001 já está na linha 6.",
         "9 1234/01: Filial \"0002\" diferente da filial 0001 da importação.",
         "10 1234/01: Companhia \"ZW\" diferente da companhia XY da importação.",
         "11 9999/01: Vôo \"9999\", trecho \"01\" não cadastrado para a filial e a companhia.",
         "12 1234/01: Serviço \"09.09.999\" não cadastrado como serviço da companhia.",
         "13 1234/01: Classe \"LUXO\" não cadastrada.", "14 1234/01: Ciclo \"INVERNO\" não cadastrado.",
         "15 1234/01: Pax. Máximo \"x\" não é um número.", "16 1234/01: Pax. Máximo \"2,5\" não é um número inteiro.",
         "17 1234/01: A quantidade máxima de passageiros não pode ser menor que quantidade mínima.",
         "18 1234/01: A quantidade mínima de passageiros deve ser de pelo menos 1 (informado: 0).",
         "19 1234/01: A linha tem 9 colunas; são esperadas 10, separadas por ponto e vírgula.",
         "21 1234/01: A quantidade de serviço deve estar entre 0 e 99999 (informado: 100000)."}));
  const json state = Rows(preview, kImport)[0][7];
  EXPECT_EQ(state.get<std::string>().size(), 16u);

  const Answer refused = Import(kHeader + good + bad, "substituir", "N");
  EXPECT_EQ(refused.code, rpc::kRuleViolated);
  EXPECT_EQ(refused.message,
            "Importação não aplicada: linha 7: A faixa de 40 a 60 passageiros do serviço 01.02.001 "
            "sobrepõe a da linha 6 (de 1 a 50).");
  EXPECT_EQ(Ranges(), before);
  EXPECT_EQ(LogRows(), 0);

  // Fixed in a spreadsheet that dropped the leading zeros and ended lines
  // with CRLF: applied replacing, after its preview.
  const std::string fixed = "\xEF\xBB\xBF" + kHeader + good + "1;XY;1234;1;01.02.002;;;1;30;3\r\n";
  const Answer seen = Import(fixed, "substituir", "S");
  EXPECT_EQ(Outcomes(seen), (V{"1234/01 +1 ~1 -4", "1234/02 +1 ~0 -0"}));
  // Another user stores a range on a leg the file does not name.
  db_->Side() << "INSERT INTO PROPSERVICO (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE, QTPAXATE, "
                 "QTSERVICO) VALUES ('0001', '0101', '0500', '01', 'S1', 1, 10, 1)";
  const Answer applied = Import(fixed, "substituir", "N", Rows(seen, kImport)[0][7]);
  ASSERT_TRUE(applied.ok) << applied.message;
  EXPECT_EQ(Outcomes(applied), Outcomes(seen));
  EXPECT_EQ(Stored("NRVOO = '1234' AND CDTRECHO = '01' AND CDFILIAL = '0001'"), 5);
  EXPECT_EQ(Stored("CDSERVICO = 'S3' AND CDTRECHO = '01'"), 0);
  EXPECT_EQ(Stored("CDSERVICO = 'S1' AND QTPAXDE = 21 AND QTSERVICO = 5 AND CDCLASSE = '0001'"), 1);
  EXPECT_EQ(Stored("CDSERVICO = 'S4' AND QTPAXATE = 30 AND CDCLASSE = '0001' AND CDCICLO = '0001'"), 1);
  EXPECT_EQ(Stored("CDTRECHO = '02' AND CDSERVICO = 'S3' AND QTSERVICO = 2.5 AND CDCLASSE = '0001'"), 1);
  EXPECT_EQ(LogRows(), 7);
  EXPECT_EQ(db_->Count("SELECT COUNT(*) FROM PROPSERVICO_LOG WHERE IDOPERACAO = 'E' AND CDSERVICO_OLD = 'S3'"), 2);

  // Adding to what is stored: a range over a stored one is refused; an
  // apply after another user changed a named leg stores nothing.
  const std::string more = kHeader + "0001;XY;1234;02;01.01.001;;;1;10;1\n0001;XY;1234;01;01.01.001;;;10;30;1\n";
  const Answer adding = Import(more, "acrescentar", "S");
  EXPECT_EQ(Outcomes(adding),
            (V{"1234/01 +0 ~0 -0", "1234/02 +1 ~0 -0",
               "3 1234/01: A faixa de 10 a 30 passageiros do serviço 01.01.001 sobrepõe a de 21 a 50 já cadastrada no "
               "trecho."}));
  const std::string added = kHeader + "0001;XY;1234;02;01.01.001;;;1;10;1\n";
  const Answer toAdd = Import(added, "acrescentar", "S");
  db_->Side() << "UPDATE PROPSERVICO SET QTSERVICO = 7 WHERE NRVOO = '1234' AND CDTRECHO = '02'";
  const Answer stale = Import(added, "acrescentar", "N", Rows(toAdd, kImport)[0][7]);
  EXPECT_EQ(stale.code, rpc::kConflict) << stale.message;
  EXPECT_EQ(Stored("CDTRECHO = '02'"), 1);
  EXPECT_EQ(LogRows(), 7);
}

TEST_P(ImportTest, FilesThatAreNoSuchCsvAreRefusedClearlyAndStoreNothing) {
  using V = std::vector<std::string>;
  // Quoted fields: a doubled quote, a ';' and a line break inside one; the
  // line after it keeps its number.
  const std::string quoted = kHeader +
                             "\"0001\";\"XY\";1234;02;\"01.01.001\";\"ECO\";\"PADRAO\";\"1\";\"20\";\"2,5\"\n"
                             "0001;XY;1234;02;\"01.01;\n001\";;;1;20;2\n"
                             "0001;XY;1234;02;01.01.002;\"E\"\"CO\";;1;20;2\n";
  EXPECT_EQ(Outcomes(Import(quoted, "acrescentar", "S")),
            (V{"1234/02 +1 ~0 -0", "3 1234/02: Serviço \"01.01;\n001\" não cadastrado como serviço da companhia.",
               "5 1234/02: Classe \"E\"CO\" não cadastrada."}));

  const int before = Ranges();
  const std::pair<std::string, std::string> hostile[] = {
      // What a client's conversion leaves of bytes that were not UTF-8.
      {kHeader + "0001;XY;1234;02;01.01.001;;;1;20;\xEF\xBF\xBD\n", "Linha 2: o texto não está em UTF-8"},
      {kHeader + std::string("0001;XY;\0\x01\x02;02\n", 15), "Linha 2: caractere nulo"},
      {kHeader + "0001;XY;1234;02;01.01.001;;;1;20;\x1b\n", "Linha 2: caractere de controle (0x1B) fora de aspas"},
      {"", "O arquivo está vazio."},
      {"\xEF\xBB\xBF\r\n  \r\n", "O arquivo está vazio."},
      {"Filial,Companhia,Voo,Trecho,Serviço,Classe,Ciclo,Pax. Mínimo,Pax. Máximo,Qtde. Serviço\n",
       "Linha 1: as colunas estão separadas por vírgulas; o separador deve ser ponto e vírgula (;)."},
      {"\"Filial\"\t\"Companhia\"\n", "Linha 1: as colunas estão separadas por tabulações"},
      {"0001;XY;1234;02;01.01.001;;;1;20;2\n",
       "Linha 1: o cabeçalho não é o esperado. A primeira linha deve ser: "
       "Filial;Companhia;Voo;Trecho;Serviço;Classe;Ciclo;"},
      {kHeader + "0001;XY;1234;02;01.01.001;;;1;20;2\n0001;XY;\"1234;02\n", "Linha 3: as aspas abertas"},
      {kHeader + "0001;XY;12\"34;02\n", "Linha 2: aspas fora de lugar"},
  };
  for (const auto& [csv, message] : hostile) {
    const Answer a = Import(csv, "substituir", "N");
    EXPECT_EQ(a.code, rpc::kInvalidParams) << a.message;
    EXPECT_EQ(a.message.substr(0, message.size()), message);
  }
  // Such bytes never pass the transport, which reads JSON as UTF-8.
  try {
    appserver::ReadCsv(kHeader + "\n0001;XY;\xC3\x28\n", appserver::ImportHeader());
    ADD_FAILURE() << "invalid UTF-8 read";
  } catch (const appserver::CsvError& e) {
    EXPECT_EQ(e.Line(), 3u);
  }
  // Titles in another case, with blanks around them, are the header.
  EXPECT_TRUE(Import(" FILIAL ; companhia;VOO;trecho;SERVIÇO;classe;ciclo;pax. mínimo;PAX. MÁXIMO;qtde. serviço\n",
                     "substituir", "N")
                  .ok);

  std::string huge = kHeader;
  for (int i = 0; i < 100000; ++i) huge += "0001;XY;0999;01;01.01.001;;;1;20;2\n";
  const Answer listed = Import(huge, "acrescentar", "S");
  const std::vector<json> rows = Rows(listed, kImport);
  ASSERT_EQ(rows.size(), 10001u);  // the first 10000 refused lines, then how many more
  EXPECT_EQ(rows.back()[0], 10002);
  EXPECT_EQ(rows.back()[6], "Mais 90000 linhas com problemas, a partir desta, não listadas.");
  const Answer tooLong = Import(huge + "0001;XY;1234;02;01.01.001;;;1;20;2\n", "substituir", "N");
  EXPECT_EQ(tooLong.code, rpc::kInvalidParams);
  EXPECT_EQ(tooLong.message,
            "O arquivo tem mais de 100000 linhas de dados (a linha 100002 passa do limite). "
            "Divida-o em arquivos menores.");
  EXPECT_EQ(tooLong.data, json({{"line", 100002}}));
  EXPECT_EQ(Ranges(), before);
  EXPECT_EQ(LogRows(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportTest, ::testing::Values(Backend::Sqlite, Backend::Postgresql), ParamName);

}  // namespace
}  // namespace appserver_test
