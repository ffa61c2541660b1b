#include "framework/ReportDialog.h"

#include <stdexcept>

namespace framework {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

}  // namespace

void TReportParams::Declare(std::string name) {
  if (!Exists(name)) params_.emplace_back(std::move(name));
}

bool TReportParams::Exists(std::string_view name) const {
  for (const TParam& p : params_)
    if (SameName(p.Name(), name)) return true;
  return false;
}

TParam& TReportParams::ParamByName(std::string_view name) {
  for (TParam& p : params_)
    if (SameName(p.Name(), name)) return p;
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
