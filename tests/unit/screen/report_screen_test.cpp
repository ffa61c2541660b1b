// The report screen as the print command opens it: a new instance each
// time, its codes, the main screen handed to the report, and what print
// abandons first.
#include "screen/Cli_ate11601.h"
#include "screen_fixture.h"

namespace screen_test {
namespace {

class ReportScreen : public ScreenTest {
 protected:
  TfrmPropPass& OnFlight() {
    TfrmPropPass& f = Open();
    f.medSgCia->SetText("ASUL");
    f.medNrVoo->SetFocus();
    f.medNrVoo->SetText("1110");
    f.dbgPadrao->SetFocus();
    EXPECT_TRUE(dialogs.Messages().empty());
    return f;
  }
  // The next report screen is looked at, then closed.
  void CloseNextReport(std::vector<toolkit::Form*>& seen) {
    dialogs.QueueModal([&seen](toolkit::Form& form) {
      seen.push_back(&form);
      form.SetModalResult(toolkit::mrCancel);
    });
  }
};

TEST_F(ReportScreen, EachOpeningMakesANewScreenAndTheLastIsRemembered) {
  TfrmPropPass& f = OnFlight();
  std::vector<toolkit::Form*> seen;
  CloseNextReport(seen);
  CloseNextReport(seen);
  CriaRelPropServPass();
  TfrmRelPropServico* first = frmRelPropServico;
  CriaRelPropServPass();
  ASSERT_EQ(seen.size(), 2U);
  EXPECT_NE(seen[0], seen[1]);
  EXPECT_EQ(seen[0], first);
  EXPECT_EQ(seen[1], frmRelPropServico);
  EXPECT_EQ(frmRelPropServico->Caption(), "Proporção de Serviço por Passageiro");
  EXPECT_EQ(frmRelPropServico->lblCodTela->Caption(), "ATE11601");
  EXPECT_EQ(frmRelPropServico->rpddPadrao->ReportName(), "Ate116");
  EXPECT_EQ(frmRelPropServico->HelpContext(), 10111601);
  EXPECT_EQ(frmRelPropServico->rpddPadrao->MainForm(), &f);
  // The screen fills the parameters and leaves the run to go on.
  EXPECT_TRUE(frmRelPropServico->rpddPadrao->PrepareParams({"P_CDFILIAL", "P_OUTRO"}));
  EXPECT_EQ(frmRelPropServico->rpddPadrao->Params().ParamByName("P_CDFILIAL").AsString(), "0001");
  EXPECT_TRUE(frmRelPropServico->rpddPadrao->Params().ParamByName("P_OUTRO").IsNull());
}

TEST_F(ReportScreen, PrintAbandonsAServiceBeingInsertedAndTheListsChanges) {
  TfrmPropPass& f = OnFlight();
  f.cdsPropServico->Insert();
  f.cdsPropServicoCDARVPROD->SetAsString("01.01.002");
  std::vector<toolkit::Form*> seen;
  CloseNextReport(seen);
  // A code was typed: asked first, and "Não" leaves everything as it is.
  dialogs.QueueAnswer(false);
  f.sbtImprimirClick(*f.sbtImprimir);
  EXPECT_TRUE(seen.empty());
  EXPECT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsInsert);
  dialogs.QueueAnswer(true);
  f.sbtImprimirClick(*f.sbtImprimir);
  EXPECT_EQ(seen.size(), 1U);
  EXPECT_EQ(f.cdsPropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_EQ(f.cdsPropServico->RecordCount(), 2);
  EXPECT_EQ(f.cdsPropServico->ChangeCount(), 0);
  EXPECT_EQ(f.cdsQtdePropServico->State(), toolkit::DataSetState::dsBrowse);
  EXPECT_TRUE(dialogs.Messages().empty());
}

}  // namespace
}  // namespace screen_test
