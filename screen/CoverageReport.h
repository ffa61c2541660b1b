#pragma once
// The report screen of the coverage of an airline's ranges at a branch
// (ATE11602, report "Ate116Cob"): every flight and leg where some service
// leaves passenger counts without a quantity.
#include <string>

#include "framework/DadosGerRel.h"

namespace screen_tools {

class TfrmRelCobertura : public framework::TfrmDadosGerRel {
 public:
  explicit TfrmRelCobertura(toolkit::Component* owner = nullptr);

  // The branch (CDFILIAL) and airline (CDCIA) the report covers.
  void SetAirline(std::string branch, std::string airline);
  // Sets the declared ones of P_CDFILIAL and CDCIA.
  void rpddPadraoBeforeGetQueryParams(framework::TReportDesignerDialog& sender, framework::TReportParams& params,
                                      bool& proceed);

 private:
  std::string branch_, airline_;
};

}  // namespace screen_tools
