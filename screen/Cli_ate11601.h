#pragma once
// Unit Cli_ate11601: the report screen of the passenger proportions
// (ATE11601, report "Ate116") for the flight context open on the main
// screen, which it reads through frmPropPass.
#include "framework/DadosGerRel.h"

class TfrmPropPass;

class TfrmRelPropServico : public framework::TfrmDadosGerRel {
 public:
  explicit TfrmRelPropServico(toolkit::Component* owner = nullptr);

  // The base creation, then the main screen handed to the report dialog.
  void FormCreate(toolkit::Control& sender) override;
  // Reloads the main screen's cdsCompanhia for exactly the header's
  // airline, flight and leg, then previews. A failed reload propagates.
  void sbtPreviewClick(toolkit::Control& sender) override;
  // The same reload, then prints.
  void sbtPrintClick(toolkit::Control& sender) override;
  // Sets the declared ones of P_CDFILIAL (branch text), CDCIA, P_NRVOO and
  // P_CDTRECHO (current row of cdsCompanhia).
  void rpddPadraoBeforeGetQueryParams(framework::TReportDesignerDialog& sender, framework::TReportParams& params,
                                      bool& proceed);

 private:
  static void LoadHeaderFlight(TfrmPropPass& main);
};

// Every call creates a new report screen owned by the application, keeps
// it in frmRelPropServico and shows it modally; it returns when the user
// closes it. Needs the main screen (frmPropPass).
extern "C" {
extern TfrmRelPropServico* frmRelPropServico;
void CriaRelPropServPass();
}
