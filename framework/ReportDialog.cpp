#include "framework/ReportDialog.h"

#include <stdexcept>

#include "packet/Value.h"

namespace framework {

void TReportParams::Declare(std::string name) {
  if (!Exists(name)) params_.emplace_back(std::move(name));
}

bool TReportParams::Exists(std::string_view name) const {
  for (const TParam& p : params_)
    if (packet::SameFieldName(p.Name(), name)) return true;
  return false;
}

TParam& TReportParams::ParamByName(std::string_view name) {
  for (TParam& p : params_)
    if (packet::SameFieldName(p.Name(), name)) return p;
  throw std::invalid_argument("The report declares no parameter " + std::string(name));
}

bool ExistParam(const TReportParams& params, std::string_view name) { return params.Exists(name); }

void TReportDesignerDialog::PrepareParams(const std::vector<std::string>& names) {
  params_.Clear();
  for (const std::string& name : names) params_.Declare(name);
  if (BeforeGetQueryParams) {
    QueryParamsEvent before = BeforeGetQueryParams;
    before(*this, params_);
  }
}

}  // namespace framework
