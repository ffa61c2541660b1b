#pragma once
// The report designer dialog of a report screen: the report it runs, the
// parameters the report declares, and the event in which the screen fills
// them before the query runs.
#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include "framework/Query.h"
#include "toolkit/controls/Component.h"
#include "toolkit/controls/DialogService.h"

namespace toolkit { class Form; }

namespace framework {

// The parameters a report declares, set by name as strings.
class TReportParams {
 public:
  // Declares a parameter (null until set); an existing one is kept.
  void Declare(std::string name);
  bool Exists(std::string_view name) const;
  // Throws std::invalid_argument naming the parameter when it is not
  // declared.
  TParam& ParamByName(std::string_view name);
  const std::vector<TParam>& Items() const { return params_; }
  void Clear() { params_.clear(); }

 private:
  std::vector<TParam> params_;
};

// True when the report declares the parameter (case-insensitive).
bool ExistParam(const TReportParams& params, std::string_view name);

class TReportDesignerDialog : public toolkit::Component {
 public:
  // proceed comes in true; a handler that sets it false drops the run.
  using QueryParamsEvent = std::function<void(TReportDesignerDialog& sender, TReportParams& params, bool& proceed)>;

  explicit TReportDesignerDialog(toolkit::Component* owner = nullptr) : Component(owner) {}

  // The report code ("Ate116"): the definition is reports/<code>.json.
  const std::string& ReportName() const { return reportName_; }
  void SetReportName(std::string name) { reportName_ = std::move(name); }
  // The screen the report screen was opened from.
  toolkit::Form* MainForm() const { return mainForm_; }
  void SetMainForm(toolkit::Form* form) { mainForm_ = form; }

  TReportParams& Params() { return params_; }
  QueryParamsEvent BeforeGetQueryParams;

  // Declares the given parameters afresh (all null), then lets
  // BeforeGetQueryParams fill them. False when the handler dropped the run.
  bool PrepareParams(const std::vector<std::string>& names);

  // Runs the report: reads reports/<ReportName>.json (ReportsDirectory),
  // declares its parameters and fills them (BeforeGetQueryParams; nothing
  // more happens when the handler drops the run), runs
  // its queries on the general database with them and hands the laid-out
  // report to the dialog service to preview or print. A definition that
  // cannot be read, or a query naming a parameter the report does not
  // declare, is shown as an error naming it and ends with EAbort.
  void Execute(toolkit::ReportAction action);

 private:
  void RunQuery(TADOIBQuery& query, const std::vector<std::string>& sql);
  std::string reportName_;
  toolkit::Form* mainForm_ = nullptr;
  TReportParams params_;
};

}  // namespace framework
