#include "screen/CoverageReport.h"

namespace screen_tools {

TfrmRelCobertura::TfrmRelCobertura(toolkit::Component* owner) : TfrmDadosGerRel(owner) {
  SetName("frmRelCobertura");
  SetCaption("Cobertura das Proporções por Passageiro");
  SetWidth(440);  // the caption is longer than the base screen's
  lblCodTela->SetCaption("ATE11602");
  lblCodRel->SetCaption("Ate116Cob");
  rpddPadrao->BeforeGetQueryParams = [this](framework::TReportDesignerDialog& s, framework::TReportParams& p,
                                              bool& proceed) { rpddPadraoBeforeGetQueryParams(s, p, proceed); };
}

void TfrmRelCobertura::SetAirline(std::string branch, std::string airline) {
  branch_ = std::move(branch);
  airline_ = std::move(airline);
}

void TfrmRelCobertura::rpddPadraoBeforeGetQueryParams(framework::TReportDesignerDialog& /*sender*/,
                                                       framework::TReportParams& params, bool& /*proceed*/) {
  for (const auto& [name, value] : {std::pair<const char*, const std::string&>{"P_CDFILIAL", branch_},
                                    std::pair<const char*, const std::string&>{"CDCIA", airline_}})
    if (framework::ExistParam(params, name)) params.ParamByName(name).SetAsString(value);
}

}  // namespace screen_tools
