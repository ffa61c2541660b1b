// The main screen without a server: its catalogue, its lookups' texts, the
// leg look-ups and the command rule of the range grid.
#include <gtest/gtest.h>

#include <filesystem>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"
#include "framework/GeneralDatabase.h"
#include "framework/Host.h"
#include "screen/Cli_ate11600.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/RecordingDialogs.h"

namespace {

namespace fs = std::filesystem;

// The screen built directly (no creation handler, so no connection), over a
// demo general database.
class Screen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = fs::temp_directory_path() / ("ate-screen-" + std::to_string(::getpid()) + ".db");
    auto session = dbsession::Open(dbsession::ParseUrl("sqlite:" + path_.string()));
    dbsession::CreateSchema(*session);
    dbsession::LoadDemo(*session);
  }
  static void TearDownTestSuite() { fs::remove(path_); }
  void SetUp() override {
    toolkit::Application::Instance().Reset();
    toolkit::Application::Instance().SetDialogs(&dialogs);
    framework::dtmDBGeral = new framework::TdtmDBGeral();
    framework::dtmDBGeral->adcGeral->Open("sqlite:" + path_.string());
    form = std::make_unique<TfrmPropPass>();
  }
  void TearDown() override {
    form.reset();
    delete framework::dtmDBGeral;
    toolkit::Application::Instance().Reset();
  }
  void Legs(const std::vector<std::pair<std::string, std::string>>& legs) {
    packet::DataPacket p;
    p.fields = {{"CDTRECHO", packet::FieldType::String, 4}, {"DSTRECHO", packet::FieldType::String, 13}};
    for (const auto& [code, text] : legs) p.rows.push_back({packet::Value(code), packet::Value(text)});
    form->cdsListaTrecho->SetData(std::move(p));
  }
  void Ranges(int rows) {
    packet::DataPacket p = form->cdsQtdePropServico->Data();
    for (int i = 0; i < rows; ++i) {
      packet::Row r(p.fields.size());
      r[2] = 1.0 + i * 10;
      p.rows.push_back(r);
    }
    form->cdsQtdePropServico->SetData(std::move(p));
  }
  // "IAEPVCO": which of the seven commands are on (button and item agree).
  std::string Commands() {
    std::string s;
    auto mark = [&](toolkit::Button* b, toolkit::MenuItem* m, char c) {
      EXPECT_EQ(b->Enabled(), m->Enabled()) << c;
      s += m->Enabled() ? c : '-';
    };
    mark(form->sbtIncluir, form->mnuIncluir, 'I');
    mark(form->sbtAlterar, form->mnuAlterar, 'A');
    mark(form->sbtExcluir, form->mnuExcluir, 'E');
    mark(form->sbtProcurar, form->mnuProcurar, 'P');
    mark(form->sbtVerificar, form->mnuVerificar, 'V');
    mark(form->sbtCancelar, form->mnuCancelar, 'C');
    mark(form->sbtConfirmar, form->mnuConfirmar, 'O');
    return s;
  }
  static inline fs::path path_;
  toolkit::RecordingDialogs dialogs;
  std::unique_ptr<TfrmPropPass> form;
};

TEST_F(Screen, CatalogueKeepsItsExactTexts) {
  EXPECT_EQ(form->msgPadrao->Msg("Excl"), "Confirma Exclusão?");
  EXPECT_EQ(form->msgMensagensPadroes->Msg("Excl"), "Confirma exclusão?");
  EXPECT_EQ(form->msgPadrao->Msg("Cia_Nao_Cad"), form->msgMensagensPadroes->Msg("Cia_Nao_Cad"));
  EXPECT_EQ(form->msgPadrao->Msg("QTPAXATE_space"), "Campo Pax Máximo não deve ultrapassar  4 caracteres.");
  EXPECT_EQ(form->msgPadrao->Msg("Cia_Obr"), "Companhia deve ser informada");
  EXPECT_EQ(form->msgPadrao->Msg("SERV_INV"), "Classe e\\ou Ciclo já cadastrado para o serviço informado.");
  EXPECT_EQ(form->msgPadrao->Count(), 39);
  EXPECT_EQ(form->cdsQtdePropServicoQTSERVICO->DisplayLabel(), "Qtde.  Serviço");
}

TEST_F(Screen, ComponentsAreReachableByNameWithTheirSettings) {
  for (const char* name : {"edtfilial", "medSgCia", "cbbTrecho", "dbgQtdePropServico", "cdsCompanhia",
                           "qryCiclo", "dtsServicoCiaPesq", "netPropPass", "mnuConfirmar", "dbnPadrao"})
    EXPECT_NE(form->FindComponent(name), nullptr) << name;
  EXPECT_EQ(form->edtfilial->MaxLength(), 4);
  EXPECT_EQ(form->edtfilial->Tag(), 99);
  EXPECT_EQ(form->cdsPropServicoCDARVPROD->Size(), 20);
  EXPECT_FALSE(form->cdsPropServicoCDSERVICO->Visible());
  EXPECT_EQ(form->netPropPass->ServerName(), "Ate11600.rdmPropPass");
  EXPECT_FALSE(form->netPropPass->ThrowException());
  // Tab order inside the header: airline, flight, leg, then the branch last.
  std::vector<toolkit::Control*> tabs = form->TabList();
  auto at = [&](toolkit::Control* c) { return std::find(tabs.begin(), tabs.end(), c) - tabs.begin(); };
  EXPECT_LT(at(form->medSgCia), at(form->medNrVoo));
  EXPECT_LT(at(form->medNrVoo), at(form->cbbTrecho));
  EXPECT_LT(at(form->cbbTrecho), at(form->edtfilial));
  EXPECT_LT(at(form->edtfilial), at(form->dbgPadrao));
}

TEST_F(Screen, CycleQueryCarriesOneTextPerDialect) {
  EXPECT_EQ(form->qryCiclo->SQL()[2], "WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND");
  EXPECT_EQ(form->qryCiclo->SQL(framework::TSqlDialect::MSSQL)[2], "WHERE (IDCICLO = ISNULL(:P_IDCICLO,IDCICLO)) AND");
  EXPECT_EQ(form->qryCiclo->SQL(framework::TSqlDialect::InterBase)[2],
            "WHERE (IDCICLO = NVLSTR(:P_IDCICLO,IDCICLO)) AND");
  // A null cycle lists every cycle of the airline at the branch, in code order.
  form->qryCiclo->ParamByName("P_IDCICLO").Clear();
  form->qryCiclo->ParamByName("P_CDCIA").SetAsString("0101");
  form->qryCiclo->ParamByName("P_CDFILIAL").SetAsString("0001");
  form->qryCiclo->Open();
  ASSERT_GT(form->qryCiclo->RecordCount(), 1);
  std::string previous;
  for (form->qryCiclo->First(); !form->qryCiclo->Eof(); form->qryCiclo->Next()) {
    EXPECT_LT(previous, form->qryCicloCDCICLO->AsString());
    previous = form->qryCicloCDCICLO->AsString();
  }
  // With a value, at most that cycle; a quote in it is bound, not pasted.
  form->qryCiclo->Close();
  form->qryCiclo->ParamByName("P_IDCICLO").SetAsString("VERAO");
  form->qryCiclo->Open();
  EXPECT_EQ(form->qryCiclo->RecordCount(), 1);
  EXPECT_EQ(form->qryCicloCDCICLO->AsString(), "0002");
  form->qryCiclo->Close();
  form->qryCiclo->ParamByName("P_IDCICLO").SetAsString("x') OR ('1'='1");
  form->qryCiclo->Open();
  EXPECT_EQ(form->qryCiclo->RecordCount(), 0);
}

TEST_F(Screen, LegAtAPositionAndPositionOfALeg) {
  EXPECT_EQ(form->SelecionaTrecho(0, "COD"), "");  // no list built yet
  EXPECT_EQ(form->RetornaIndiceTrecho("CDTRECHO", "01"), -1);
  Legs({{"01", "GRU - GIG"}, {"02", "GIG - SSA"}, {"01", "SSA - REC"}});
  EXPECT_EQ(form->SelecionaTrecho(2, "COD"), "01");
  EXPECT_EQ(form->SelecionaTrecho(2, "DES"), "SSA - REC");
  EXPECT_EQ(form->SelecionaTrecho(-1, "COD"), "01");
  EXPECT_EQ(form->SelecionaTrecho(1, "DES"), "GIG - SSA");
  EXPECT_EQ(form->SelecionaTrecho(7, "DES"), "SSA - REC");
  EXPECT_EQ(form->SelecionaTrecho(1, "XYZ"), "");
  EXPECT_EQ(form->RetornaIndiceTrecho("CDTRECHO", "01"), 0);
  EXPECT_EQ(form->RetornaIndiceTrecho("CDTRECHO", "02"), 1);
  EXPECT_EQ(form->RetornaIndiceTrecho("DSTRECHO", "SSA - REC"), 2);
  EXPECT_EQ(form->RetornaIndiceTrecho("CDTRECHO", "03"), -1);
  EXPECT_EQ(form->RetornaIndiceTrecho("DSTRECHO", "ssa - rec"), -1);
}

TEST_F(Screen, RangeCommandRuleFollowsTheRangeDataSet) {
  form->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-------");
  Ranges(0);
  form->HabilitaBotoes();
  EXPECT_EQ(Commands(), "I------");
  Ranges(2);
  form->HabilitaBotoes();
  EXPECT_EQ(Commands(), "IAEPV--");
  form->cdsQtdePropServico->Insert();
  form->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-----CO");
  form->cdsQtdePropServico->Cancel();
  form->cdsQtdePropServico->Edit();
  form->HabilitaBotoes();
  EXPECT_EQ(Commands(), "-----CO");
}

}  // namespace
