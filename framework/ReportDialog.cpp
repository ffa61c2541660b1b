#include "framework/ReportDialog.h"

#include "framework/Query.h"

#include <ctime>
#include <stdexcept>

#include "framework/GeneralDatabase.h"
#include "framework/Helpers.h"
#include "framework/ReportDefinition.h"
#include "framework/ReportHtml.h"
#include "packet/Value.h"
#include "toolkit/controls/Application.h"

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

bool TReportDesignerDialog::PrepareParams(const std::vector<std::string>& names) {
  params_.Clear();
  for (const std::string& name : names) params_.Declare(name);
  bool proceed = true;
  if (BeforeGetQueryParams) {
    // A copy: the handler may rebind the event.
    QueryParamsEvent before = BeforeGetQueryParams;
    before(*this, params_, proceed);
  }
  return proceed;
}

namespace {

std::string Now() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%d/%m/%Y %H:%M", &local);
  return text;
}

}  // namespace

void TReportDesignerDialog::RunQuery(TADOIBQuery& query, const std::vector<std::string>& sql) {
  if (!dtmDBGeral) throw std::logic_error("The report " + reportName_ + " needs the general database open");
  query.SetConnection(dtmDBGeral->adcGeral);
  query.SetSQL(sql);
  for (const TParam& p : query.Params()) {
    if (!params_.Exists(p.Name()))
      throw std::runtime_error("O relatório " + reportName_ + " usa o parâmetro " + p.Name() + ", que não declara.");
    const TParam& value = params_.ParamByName(p.Name());
    if (value.IsNull())
      query.ParamByName(p.Name()).Clear();
    else
      query.ParamByName(p.Name()).SetAsString(value.AsString());
  }
  query.Open();
}

void TReportDesignerDialog::Execute(toolkit::ReportAction action) {
  ReportDefinition def;
  try {
    def = LoadReportDefinition(ReportsDirectory() / (reportName_ + ".json"));
  } catch (const std::runtime_error& e) {
    MensErro(e.what());
  }
  if (!PrepareParams(def.parameters)) return;
  TADOIBQuery header, body;
  try {
    RunQuery(header, def.headerSql);
    RunQuery(body, def.bodySql);
  } catch (const std::runtime_error& e) {
    MensErro(e.what());
  }
  toolkit::ReportDocument report{def.title, ReportHtml(def, header, body, Now()), {}};
  for (const TParam& p : params_.Items()) report.parameters.emplace_back(p.Name(), p.AsString());
  toolkit::Application::Instance().Dialogs().ShowReport(report, action);
}

}  // namespace framework
