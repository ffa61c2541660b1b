// The screen as built by its constructor: components reachable by name
// with their settings, datasets and their fields, the message catalogue and
// the lookups on the general database.
#include <algorithm>
#include <stdexcept>

#include "framework/GeneralDatabase.h"
#include "screen_fixture.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/Input.h"

namespace screen_test {
namespace {

using FormDescription = ScreenTest;

TEST_F(FormDescription, CatalogueKeepsItsExactTexts) {
  TfrmPropPass& f = Bare();
  EXPECT_EQ(f.msgPadrao->Count(), 46);  // 39 of the screen, 3 of its safeguards, 4 of settling lost saves
  // The two lists share Excl with different case.
  EXPECT_EQ(f.msgPadrao->Msg("Excl"), "Confirma Exclusão?");
  EXPECT_EQ(f.msgMensagensPadroes->Msg("Excl"), "Confirma exclusão?");
  EXPECT_EQ(f.msgPadrao->Msg("Cia_Nao_Cad"), f.msgMensagensPadroes->Msg("Cia_Nao_Cad"));
  EXPECT_EQ(f.msgMensagensPadroes->Msg("Canc"), "Cancelar operação?");
  // Double blank, missing full stop, backslash, format placeholder.
  EXPECT_EQ(f.msgPadrao->Msg("QTPAXATE_space"), "Campo Pax Máximo não deve ultrapassar  4 caracteres.");
  EXPECT_EQ(f.msgPadrao->Msg("QTSERVICO_space"), "Campo Qte. Padrão não deve ultrapassar  4 caracteres.");
  EXPECT_EQ(f.msgPadrao->Msg("Cia_Obr"), "Companhia deve ser informada");
  EXPECT_EQ(f.msgPadrao->Msg("SERV_INV"), "Classe e\\ou Ciclo já cadastrado para o serviço informado.");
  EXPECT_EQ(f.msgPadrao->Msg("Qtde_Existe"),
            "Já existe quantidade de serviço cadastrada para %s passageiro(s) em outro intervalo.");
  EXPECT_EQ(f.msgPadrao->Msg("PAXDE>PAXATE"),
            "A quantidade máxima de passageiros não pode ser menor que quantidade mínima.");
  // Keys no handler names are there all the same.
  for (const char* key : {"primary_key", "TblVazia", "RegDuplic", "voos", "Not_Ciclo", "Atual_Server"})
    EXPECT_TRUE(f.msgPadrao->Contains(key)) << key;
  EXPECT_FALSE(f.msgPadrao->Contains("Canc"));
}

TEST_F(FormDescription, StartsWithItsCommandsOffAndItsConnectionClosed) {
  TfrmPropPass& f = Bare();
  for (toolkit::MenuItem* m :
       {f.mnuIncluir, f.mnuAlterar, f.mnuExcluir, f.mnuProcurar, f.mnuVerificar, f.mnuCancelar, f.mnuConfirmar})
    EXPECT_FALSE(m->Enabled()) << m->Name();
  EXPECT_FALSE(f.sbtImprimir->Enabled());
  EXPECT_EQ(f.netPropPass->ServerName(), "Ate11600.rdmPropPass");
  EXPECT_FALSE(f.netPropPass->ThrowException());
  EXPECT_FALSE(f.netPropPass->Connected());
  EXPECT_EQ(f.lblCodTela->Caption(), "ATE11600");
}

TEST_F(FormDescription, EveryComponentIsOwnedAndFoundByName) {
  TfrmPropPass& f = Bare();
  const std::vector<toolkit::Component*> own = {
      f.panPlaVooCia, f.lblfilial, f.edtfilial, f.btnfilial, f.edtNmfilial, f.lblCia, f.medSgCia,
      f.btpSgCompanhia, f.medNrVoo, f.cbbTrecho, f.Label1, f.edtPrefixo, f.edtEquip, f.dbgQtdePropServico,
      f.cdsPropServico, f.cdsQtdePropServico, f.cdsCompanhia, f.cdsListaTrecho, f.cdsValidaServ, f.cdsMaiorPax,
      f.cdsFindProp, f.cdsTestaPropSe, f.qryFilial, f.qryClasse, f.qryServicoCiaPesq, f.qryCiclo,
      f.dtsQtdePropServico, f.dtsCompanhia, f.dtsServicoCiaPesq, f.dtsFilial, f.dtsClasse, f.dtsCiclo,
      f.netPropPass};
  for (toolkit::Component* c : own) {
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Owner(), &f) << c->Name();
    EXPECT_EQ(f.FindComponent(c->Name()), c) << c->Name();
  }
  EXPECT_EQ(f.FindComponent("frmPropPass"), nullptr);
  EXPECT_EQ(f.Name(), "frmPropPass");
}

TEST_F(FormDescription, HeaderEntriesLimitWhatIsTyped) {
  TfrmPropPass& f = Open();
  // The entries' own checks on leaving them are not under test here.
  for (toolkit::Control* c : std::initializer_list<toolkit::Control*>{f.edtfilial, f.medSgCia, f.medNrVoo})
    c->OnExit = nullptr;
  f.edtfilial->SetFocus();
  f.edtfilial->SetText("");
  toolkit::input::Type(f, "ab1cd");
  EXPECT_EQ(f.edtfilial->Text(), "AB1C");
  f.medSgCia->SetFocus();
  toolkit::input::Type(f, "asulxy");
  EXPECT_EQ(f.medSgCia->Text(), "ASULX");
  f.medNrVoo->SetFocus();
  toolkit::input::Type(f, "1110-b");
  EXPECT_EQ(f.medNrVoo->Text(), "1110-b");
  // Tab order: airline, flight, leg, then the branch, then the data area.
  f.edtPrefixo->SetEnabled(true);
  f.edtEquip->SetEnabled(true);
  std::vector<toolkit::Control*> tabs = f.TabList();
  auto at = [&](toolkit::Control* c) { return std::find(tabs.begin(), tabs.end(), c) - tabs.begin(); };
  const std::vector<toolkit::Control*> order = {f.medSgCia, f.medNrVoo,  f.cbbTrecho, f.edtPrefixo,
                                                f.edtEquip, f.edtfilial, f.dbgPadrao};
  for (std::size_t i = 1; i < order.size(); ++i)
    EXPECT_LT(at(order[i - 1]), at(order[i])) << order[i - 1]->Name() << " before " << order[i]->Name();
  EXPECT_EQ(at(f.edtNmfilial), static_cast<long>(tabs.size()));  // never reached
}

TEST_F(FormDescription, GridsShowTheirColumns) {
  TfrmPropPass& f = Bare();
  ASSERT_EQ(f.dbgPadrao->ColumnCount(), 4);
  EXPECT_EQ(f.dbgPadrao->DataSource()->DataSet(), f.cdsPropServico);
  const char* services[] = {"CDARVPROD", "NMPRODUTO", "SGCLASSE", "IDCICLO"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(f.dbgPadrao->Columns(i).FieldName(), services[i]);
    EXPECT_EQ(f.dbgPadrao->Columns(i).ReadOnly(), i > 0) << services[i];
  }
  EXPECT_EQ(f.dbgPadrao->Columns(1).Width(), 164);
  ASSERT_EQ(f.dbgQtdePropServico->ColumnCount(), 3);
  EXPECT_EQ(f.dbgQtdePropServico->DataSet(), f.cdsQtdePropServico);
  EXPECT_EQ(f.dbgQtdePropServico->Columns(0).Width(), 60);
  EXPECT_EQ(f.dbgQtdePropServico->Columns(1).Width(), 61);
  EXPECT_EQ(f.dbgQtdePropServico->Columns(2).Title(), "Qtde.  Serviço");
  EXPECT_FALSE(f.dbgQtdePropServico->Options() & toolkit::dgIndicator);
  EXPECT_TRUE(f.dbgQtdePropServico->Options() & toolkit::dgCancelOnExit);
}

TEST_F(FormDescription, FieldsKeepTheirWidthsAndLabels) {
  TfrmPropPass& f = Bare();
  struct Expect {
    toolkit::Field* field;
    int size;
    const char* label;
    bool visible;
  };
  for (const Expect& e : std::initializer_list<Expect>{
           {f.cdsPropServicoCDARVPROD, 20, "Código", true},   {f.cdsPropServicoCDSERVICO, 10, "Código", false},
           {f.cdsPropServicoNMPRODUTO, 50, "Descrição", true}, {f.cdsPropServicoCDFILIAL, 4, "CDFILIAL", false},
           {f.cdsCompanhiaDSTRECHO, 13, "DSTRECHO", false},   {f.cdsCompanhiaCDTRECHO, 4, "Código Trecho", true},
           {f.cdsTestaPropSePAX, 1, "PAX", true},             {f.qryFilialNMFILIAL, 30, "Nome", true}}) {
    EXPECT_EQ(e.field->Size(), e.size) << e.field->FieldName();
    EXPECT_EQ(e.field->DisplayLabel(), e.label) << e.field->FieldName();
    EXPECT_EQ(e.field->Visible(), e.visible) << e.field->FieldName();
  }
  for (toolkit::Field* q : {f.cdsQtdePropServicoQTPAXDE, f.cdsQtdePropServicoQTPAXATE,
                            f.cdsQtdePropServicoQTSERVICO, f.cdsMaiorPaxMAXPAX, f.cdsFindPropCONT})
    EXPECT_EQ(q->DataType(), packet::FieldType::Float) << q->FieldName();
  EXPECT_EQ(f.cdsQtdePropServicoQTPAXDE->DisplayLabel(), "Pax. Mínimo");
  EXPECT_EQ(f.cdsCompanhiaSGCIA->DisplayWidth(), 7);
  // A value wider than its field is cut to the field's width.
  f.cdsPropServico->CreateDataSet();
  f.cdsPropServico->Insert();
  f.cdsPropServicoCDCIA->SetAsString("010199");
  EXPECT_EQ(f.cdsPropServicoCDCIA->AsString(), "0101");
}

// Each client dataset takes the packet of the method that fills it: the
// server's fields match the screen's by name and type.
TEST_F(FormDescription, EachDataSetLoadsWhatItsServerMethodAnswers) {
  TfrmPropPass& f = Open();
  framework::TNetConnection& net = *f.netPropPass;
  auto load = [](toolkit::ClientDataSet* data, const framework::ServerAnswer& answer) {
    ASSERT_TRUE(answer.ok) << answer.message;
    EXPECT_NO_THROW(data->SetData(framework::CheckResultServ(answer, true, 0))) << data->Name();
    EXPECT_FALSE(data->IsEmpty()) << data->Name();
  };
  std::string all = "T", none;
  load(f.cdsCompanhia, server::GetCompanhia(net, "ASUL", "", "0001", "1110", none, "", all));
  EXPECT_EQ(f.cdsCompanhiaSGEQUIP->AsString(), "JT-220");
  load(f.cdsPropServico, server::GetPropServico(net, "0001", "0101", "1110", "01"));
  EXPECT_EQ(f.cdsPropServicoCDARVPROD->AsString(), "01.01.001");
  load(f.cdsQtdePropServico, server::GetQtdePropServico(net, "0001", "0101", "10101001", "", "", "1110", "01"));
  load(f.cdsValidaServ, server::GetValidaServ(net, "10101001", "0001", "0101", "1110", "01"));
  load(f.cdsMaiorPax, server::GetMaiorPax(net, "0001", "0101", "10101001", "1110", "01"));
  load(f.cdsFindProp, server::GetFindProp(net, "0001", "0101", "10101001", 1, 20, "1110", "01"));
  load(f.cdsTestaPropSe, server::GetTestaPropSe(net, "0001", "0101", "10101001", 5, 30, "1110", "01"));
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(FormDescription, CycleQueryCarriesOneTextPerDialect) {
  TfrmPropPass& f = Bare();
  const std::vector<std::string> rest = {"SELECT IDCICLO, CDCICLO", "FROM CICLOCIA", "",
                                         "      (CDCIA = :P_CDCIA)     AND", "      (CDFILIAL = :P_CDFILIAL)",
                                         "ORDER BY CDCICLO"};
  struct Dialect {
    framework::TSqlDialect dialect;
    const char* condition;
  };
  for (const Dialect& d : std::initializer_list<Dialect>{
           {framework::TSqlDialect::Default, "WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"},
           {framework::TSqlDialect::Oracle, "WHERE (IDCICLO = NVL(:P_IDCICLO,IDCICLO)) AND"},
           {framework::TSqlDialect::MSSQL, "WHERE (IDCICLO = ISNULL(:P_IDCICLO,IDCICLO)) AND"},
           {framework::TSqlDialect::InterBase, "WHERE (IDCICLO = NVLSTR(:P_IDCICLO,IDCICLO)) AND"}}) {
    std::vector<std::string> expected = rest;
    expected[2] = d.condition;
    EXPECT_EQ(f.qryCiclo->SQL(d.dialect), expected) << d.condition;
  }
  EXPECT_EQ(f.qryCiclo->Connection(), framework::dtmDBGeral->adcGeral);
}

TEST_F(FormDescription, LookupsRunOnTheGeneralDatabase) {
  TfrmPropPass& f = Bare();
  // A null cycle lists every cycle of the airline at the branch, in code
  // order; a value gives at most that cycle.
  f.qryCiclo->ParamByName("P_IDCICLO").Clear();
  f.qryCiclo->ParamByName("P_CDCIA").SetAsString("0101");
  f.qryCiclo->ParamByName("P_CDFILIAL").SetAsString("0001");
  f.qryCiclo->Open();
  std::vector<std::string> codes;
  for (f.qryCiclo->First(); !f.qryCiclo->Eof(); f.qryCiclo->Next()) codes.push_back(f.qryCicloCDCICLO->AsString());
  EXPECT_EQ(codes, (std::vector<std::string>{"0001", "0002", "0003"}));
  f.qryCiclo->Close();
  f.qryCiclo->ParamByName("P_IDCICLO").SetAsString("VERAO");
  f.qryCiclo->Open();
  EXPECT_EQ(f.qryCiclo->RecordCount(), 1);
  EXPECT_EQ(f.qryCicloCDCICLO->AsString(), "0002");

  // The flag parameter lifts the filter on the code.
  f.qryFilial->ParamByName("P_CDFILIAL").Clear();
  f.qryFilial->ParamByName("P_TCDFILIAL").SetAsString("T");
  f.qryFilial->Open();
  EXPECT_EQ(f.qryFilial->RecordCount(), 3);
  EXPECT_EQ(f.qryFilialCDFILIAL->AsString(), "0001");

  // Services are the commission products of the airline at one tree level.
  f.qryServicoCiaPesq->ParamByName("P_CDNVPRODUTO").SetAsString("3");
  f.qryServicoCiaPesq->ParamByName("CDCIA").SetAsString("0101");
  f.qryServicoCiaPesq->ParamByName("CDARVPROD").SetAsString("01.01.001");
  f.qryServicoCiaPesq->ParamByName("TODOS").Clear();
  f.qryServicoCiaPesq->Open();
  ASSERT_EQ(f.qryServicoCiaPesq->RecordCount(), 1);
  EXPECT_EQ(f.qryServicoCiaPesqCDPRODUTO->AsString(), "10101001");
  EXPECT_EQ(f.qryServicoCiaPesqSGCLASSE->AsString(), "ECO");
  EXPECT_EQ(f.qryServicoCiaPesqIDCICLO->AsString(), "PADRAO");
  f.qryServicoCiaPesq->Close();
  f.qryServicoCiaPesq->ParamByName("TODOS").SetAsString("T");
  f.qryServicoCiaPesq->Open();
  EXPECT_GT(f.qryServicoCiaPesq->RecordCount(), 1);

  f.qryClasse->ParamByName("P_SGCLASSE").SetAsString("EXE");
  f.qryClasse->ParamByName("P_TSGCLASSE").Clear();
  f.qryClasse->ParamByName("P_CDFILIAL").SetAsString("0001");
  f.qryClasse->ParamByName("P_CDCIA").SetAsString("0101");
  f.qryClasse->Open();
  ASSERT_EQ(f.qryClasse->RecordCount(), 1);
  EXPECT_EQ(f.qryClasseCDCLASSE->AsString(), "0002");
  EXPECT_EQ(f.qryClasseDSCLASSECIA->AsString(), "Executiva");
}

TEST_F(FormDescription, RefusedWithoutTheGeneralDatabase) {
  framework::dtmDBGeral->adcGeral->Close();
  EXPECT_THROW(TfrmPropPass{}, std::logic_error);
  delete framework::dtmDBGeral;
  framework::dtmDBGeral = nullptr;
  try {
    TfrmPropPass form;
    FAIL() << "built without a general database";
  } catch (const std::logic_error& e) {
    EXPECT_NE(std::string(e.what()).find("dtmDBGeral"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace screen_test
