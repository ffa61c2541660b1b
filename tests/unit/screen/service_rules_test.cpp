// Service and range rules that no control of the screen reaches on its
// own: class and cycle resolution, the class column's upper case, a
// cleared service code, and a new service stored by its first range.
#include "screen_fixture.h"
#include "toolkit/data/Abort.h"

namespace screen_test {
namespace {

using Strings = std::vector<std::string>;

class ServiceRules : public ScreenTest {
 protected:
  // The screen on ASUL 1110, leg 01, its services loaded, the service
  // grid focused.
  TfrmPropPass& OnFlight(const std::string& airline = "ASUL", const std::string& flight = "1110") {
    TfrmPropPass& f = Open();
    f.medSgCia->SetText(airline);
    f.medNrVoo->SetFocus();
    f.medNrVoo->SetText(flight);
    f.dbgPadrao->SetFocus();
    EXPECT_EQ(f.ActiveControl(), f.dbgPadrao);
    EXPECT_TRUE(dialogs.Messages().empty());
    return f;
  }
  // A service being inserted with these class and cycle texts.
  static void NewService(TfrmPropPass& f, const std::string& sgclasse, const std::string& idciclo) {
    f.cdsPropServico->Insert();
    ASSERT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsInsert);
    f.cdsPropServicoSGCLASSE->SetAsString(sgclasse);
    f.cdsPropServicoIDCICLO->SetAsString(idciclo);
  }
};

TEST_F(ServiceRules, ClassIsResolvedForTheBranchAndAirline) {
  TfrmPropPass& f = OnFlight();
  NewService(f, "EXE", "");
  f.Vd_SGCLASSE(true);
  EXPECT_EQ(f.cdsPropServicoCDCLASSE->AsString(), "0002");
  EXPECT_EQ(f.cdsPropServicoSGCLASSE->AsString(), "EXE");
  EXPECT_TRUE(dialogs.Messages().empty());

  // Blank: nothing asked unless it is required.
  f.cdsPropServicoSGCLASSE->SetAsString("");
  f.qryClasse->Close();
  f.Vd_SGCLASSE(false);
  EXPECT_FALSE(f.qryClasse->Active());
  EXPECT_THROW(f.Vd_SGCLASSE(true), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(), (Strings{"Classe deve ser informada."}));
  EXPECT_EQ(f.dbgPadrao->SelectedField(), f.cdsPropServicoSGCLASSE);
}

TEST_F(ServiceRules, AClassTheAirlineDoesNotUseIsRefusedAndNothingIsCleared) {
  // RVD has no first class at this kitchen.
  TfrmPropPass& f = OnFlight("RVD", "3110");
  NewService(f, "PRI", "");
  f.cdsPropServicoCDCLASSE->SetAsString("0009");
  EXPECT_THROW(f.Vd_SGCLASSE(false), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(), (Strings{"Classe não cadastrada."}));
  EXPECT_EQ(f.cdsPropServicoSGCLASSE->AsString(), "PRI");
  EXPECT_EQ(f.cdsPropServicoCDCLASSE->AsString(), "0009");
  EXPECT_EQ(f.dbgPadrao->SelectedField(), f.cdsPropServicoSGCLASSE);
}

TEST_F(ServiceRules, CycleIsResolvedForTheBranchAndAirline) {
  TfrmPropPass& f = OnFlight();
  NewService(f, "", "VERAO");
  f.Vd_IDCICLO(true);
  EXPECT_EQ(f.cdsPropServicoIDCICLO->AsString(), "VERAO");
  EXPECT_EQ(f.cdsPropServicoCDCICLO->AsString(), "0002");

  // ASUL keeps no holiday cycle.
  f.cdsPropServicoIDCICLO->SetAsString("FERIAS");
  EXPECT_THROW(f.Vd_IDCICLO(false), toolkit::EAbort);
  f.cdsPropServicoIDCICLO->SetAsString(" ");
  f.Vd_IDCICLO(false);
  EXPECT_THROW(f.Vd_IDCICLO(true), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(), (Strings{"Ciclo não cadastrado.", "Ciclo deve ser informado."}));
  EXPECT_EQ(f.dbgPadrao->SelectedField(), f.cdsPropServicoIDCICLO);
  EXPECT_EQ(f.cdsPropServicoCDCICLO->AsString(), "0002");
}

TEST_F(ServiceRules, ANullCycleParameterListsEveryCycleOfTheAirline) {
  TfrmPropPass& f = OnFlight();
  f.qryCiclo->Close();
  f.qryCiclo->ParamByName("P_CDFILIAL").SetAsString("0001");
  f.qryCiclo->ParamByName("P_CDCIA").SetAsString("0102");
  f.qryCiclo->ParamByName("P_IDCICLO").Clear();
  f.qryCiclo->Open();
  std::vector<std::string> cycles;
  for (f.qryCiclo->First(); !f.qryCiclo->Eof(); f.qryCiclo->Next()) cycles.push_back(f.qryCicloCDCICLO->AsString());
  EXPECT_EQ(cycles, (Strings{"0001", "0002", "0003", "0004"}));
}

TEST_F(ServiceRules, TheClassColumnTakesUpperCaseLettersOnly) {
  TfrmPropPass& f = OnFlight();
  f.dbgPadrao->SetSelectedField(f.cdsPropServicoSGCLASSE);
  for (auto [typed, passed] : {std::pair{U'e', U'E'}, {U'z', U'Z'}, {U'E', U'E'}, {U'ç', U'ç'}, {U'1', U'1'}}) {
    char32_t key = typed;
    f.dbgPadraoKeyPress(*f.dbgPadrao, key);
    EXPECT_EQ(key, passed) << static_cast<unsigned>(typed);
  }
  // The base screen's Enter still comes first, and other columns keep
  // their case.
  char32_t enter = U'\r';
  f.dbgPadraoKeyPress(*f.dbgPadrao, enter);
  EXPECT_EQ(enter, 0U);
  f.dbgPadrao->SetSelectedField(f.cdsPropServicoNMPRODUTO);
  char32_t lower = U'e';
  f.dbgPadraoKeyPress(*f.dbgPadrao, lower);
  EXPECT_EQ(lower, U'e');
}

TEST_F(ServiceRules, AServiceCodeClearedDuringAnInsertClearsTheName) {
  TfrmPropPass& f = OnFlight();
  NewService(f, "", "");
  f.cdsPropServicoCDSERVICO->SetAsString("10101002");
  f.cdsPropServicoNMPRODUTO->SetAsString("Café da manhã executivo");
  f.cdsPropServicoCDSERVICO->SetAsString("  ");
  EXPECT_EQ(f.cdsPropServicoNMPRODUTO->AsString(), "");
  f.cdsPropServico->Cancel();

  // On a stored row, edited, the name stays.
  f.cdsPropServico->Edit();
  f.cdsPropServicoCDSERVICO->SetAsString("");
  EXPECT_EQ(f.cdsPropServicoNMPRODUTO->AsString(), "Café da manhã econômico");
  f.cdsPropServico->Cancel();
}

TEST_F(ServiceRules, TheSearchListShowsTheVisibleColumnsOfTheAirlinesServices) {
  TfrmPropPass& f = OnFlight();
  f.cdsPropServico->Insert();
  f.dbgPadrao->SetSelectedField(f.cdsPropServicoCDARVPROD);
  dialogs.Clear();  // the wait shown while connecting
  dialogs.QueuePick(1);
  f.dbgPadraoEditButtonClick(*f.dbgPadrao);
  ASSERT_EQ(dialogs.Log().size(), 1U);
  EXPECT_EQ(dialogs.Log()[0].kind, toolkit::RecordingDialogs::Kind::PickList);
  EXPECT_EQ(dialogs.Log()[0].text, "Serviço com Proporção Variável.");
  EXPECT_EQ(dialogs.PickedFields().at(0), (Strings{"CDARVPROD", "NMPRODUTO", "SGCLASSE", "IDCICLO"}));
  EXPECT_EQ(f.qryServicoCiaPesq->ParamByName("P_CDNVPRODUTO").AsString(), "3");
  EXPECT_EQ(f.cdsPropServicoCDSERVICO->AsString(), "10101002");
}

class NewServiceByItsRange : public ServiceRules {
 protected:
  // The first range of a service still being inserted, whose code was
  // typed but not yet looked up. The range grid had the focus already, so
  // entering it did not store the service. Saving is not under test here.
  void FirstRange(TfrmPropPass& f, const std::string& code) {
    f.cdsQtdePropServico->AfterPost = nullptr;
    f.dbgQtdePropServico->SetFocus();
    f.cdsPropServico->Insert();
    f.cdsPropServicoCDARVPROD->SetAsString(code);
    f.cdsQtdePropServico->Insert();
    f.cdsQtdePropServicoQTPAXDE->SetAsFloat(1);
    f.cdsQtdePropServicoQTPAXATE->SetAsFloat(10);
    f.cdsQtdePropServicoQTSERVICO->SetAsFloat(3);
    calls.calls.clear();
  }
};

TEST_F(NewServiceByItsRange, TheRangeIsKeptOnceWithTheStoredServicesKeysAndNoOtherRangeOpens) {
  TfrmPropPass& f = OnFlight();
  FirstRange(f, "01.01.002");
  f.cdsQtdePropServico->Post();
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_EQ(f.cdsPropServico->RecordCount(), 3);
  EXPECT_EQ(f.cdsPropServicoCDSERVICO->AsString(), "10101002");
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  ASSERT_EQ(f.cdsQtdePropServico->RecordCount(), 1);
  EXPECT_EQ(f.cdsQtdePropServico->ChangeCount(), 1);
  EXPECT_EQ(f.cdsQtdePropServicoCDSERVICO->AsString(), "10101002");
  EXPECT_EQ(f.cdsQtdePropServicoQTPAXATE->AsString(), "10");
  // The range's checks, then the service's.
  EXPECT_EQ(calls.Count("GetFindProp"), 1);
  EXPECT_EQ(calls.Count("GetTestaPropSe"), 1);
  EXPECT_EQ(calls.Last("GetValidaServ"), (Strings{"10101002", "0001", "0101", "1110", "01"}));
}

TEST_F(NewServiceByItsRange, AServiceRefusedRefusesItsRangeAndLeavesBothOpen) {
  TfrmPropPass& f = OnFlight();
  FirstRange(f, "01.01.001");  // registered for this flight already
  EXPECT_THROW(f.cdsQtdePropServico->Post(), toolkit::EAbort);
  EXPECT_EQ(dialogs.TakeMessages(),
            (Strings{"Classe e\\ou Ciclo já cadastrado para o serviço informado."}));
  EXPECT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsInsert);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsInsert);
  EXPECT_EQ(f.cdsQtdePropServicoQTSERVICO->AsString(), "3");

  // Corrected and stored on its own, the service opens its first range
  // as usual: the pending one is kept first.
  f.cdsPropServicoCDARVPROD->SetAsString("01.01.002");
  f.cdsPropServico->Post();
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsInsert);
  EXPECT_EQ(f.cdsQtdePropServico->RecordCount(), 1);
  EXPECT_EQ(f.cdsQtdePropServicoQTPAXATE->AsString(), "");
}

}  // namespace
}  // namespace screen_test
