#include "screen/Cli_ate11601.h"

#include <stdexcept>

#include "framework/ServerAnswer.h"
#include "screen/Cli_ate11600.h"
#include "server/ServerMethods.h"
#include "toolkit/controls/Application.h"

extern "C" {
TfrmRelPropServico* frmRelPropServico = nullptr;
}

namespace {

TfrmPropPass& MainScreen() {
  if (!frmPropPass) throw std::logic_error("The report screen needs the main screen open");
  return *frmPropPass;
}

void LoadAirline(TfrmPropPass& main, const framework::ServerAnswer& answer) {
  main.cdsCompanhia->SetData(framework::CheckResultServ(answer, true, 0));
}

}  // namespace

TfrmRelPropServico::TfrmRelPropServico(toolkit::Component* owner) : TfrmDadosGerRel(owner) {
  SetName("frmRelPropServico");
  SetCaption("Proporção de Serviço por Passageiro");
  lblCodTela->SetCaption("ATE11601");
  lblCodRel->SetCaption("Ate116");
  SetHelpContext(10111601);
  rpddPadrao->BeforeGetQueryParams = [this](framework::TReportDesignerDialog& s, framework::TReportParams& p,
                                              bool& proceed) { rpddPadraoBeforeGetQueryParams(s, p, proceed); };
}

void TfrmRelPropServico::FormCreate(toolkit::Control& sender) {
  TfrmDadosGerRel::FormCreate(sender);
  rpddPadrao->SetMainForm(frmPropPass);
}

void TfrmRelPropServico::sbtPreviewClick(toolkit::Control& sender) {
  LoadHeaderFlight(MainScreen());
  TfrmDadosGerRel::sbtPreviewClick(sender);
}

// Printing reloads exactly as previewing does: reloaded by airline and
// branch only, the report printed the airline's first flight, and the main
// screen went on saving under it.
void TfrmRelPropServico::sbtPrintClick(toolkit::Control& sender) {
  LoadHeaderFlight(MainScreen());
  TfrmDadosGerRel::sbtPrintClick(sender);
}

void TfrmRelPropServico::LoadHeaderFlight(TfrmPropPass& main) {
  std::string noFlightFilter, noLegFilter;
  LoadAirline(main, server::GetCompanhia(*main.netPropPass, main.medSgCia->Text(), "", main.edtfilial->Text(),
                                         main.medNrVoo->Text(), noFlightFilter,
                                         main.SelecionaTrecho(main.cbbTrecho->ItemIndex(), "COD"), noLegFilter));
}

void TfrmRelPropServico::rpddPadraoBeforeGetQueryParams(framework::TReportDesignerDialog& /*sender*/,
                                                         framework::TReportParams& params, bool& /*proceed*/) {
  TfrmPropPass& main = MainScreen();
  const std::pair<const char*, std::string> values[] = {
      {"P_CDFILIAL", main.edtfilial->Text()},
      {"CDCIA", main.cdsCompanhiaCDCIA->AsString()},
      {"P_NRVOO", main.cdsCompanhiaNRVOO->AsString()},
      {"P_CDTRECHO", main.cdsCompanhiaCDTRECHO->AsString()}};
  for (const auto& [name, value] : values)
    if (framework::ExistParam(params, name)) params.ParamByName(name).SetAsString(value);
}

extern "C" void CriaRelPropServPass() {
  toolkit::Application& app = toolkit::Application::Instance();
  frmRelPropServico = &app.CreateForm<TfrmRelPropServico>();
  frmRelPropServico->ShowModal();
}
