#include "scenario/Dialogs.h"

#include "toolkit/controls/Form.h"
#include "toolkit/data/DataSet.h"

namespace scenario {

bool Dialogs::Confirm(std::string_view text) {
  if (answers.empty()) {
    failures.push_back("confirmation without an answer: \"" + std::string(text) + "\"");
    return false;
  }
  const bool yes = answers.front();
  answers.pop_front();
  return yes;
}

bool Dialogs::PickRow(std::string_view title, toolkit::DataSet& dataset, const std::vector<toolkit::Field*>&) {
  if (picks.empty()) {
    failures.push_back("pick list without a pick: \"" + std::string(title) + "\"");
    return false;
  }
  const std::optional<int> row = picks.front();
  picks.pop_front();
  if (!row) return false;
  if (*row < 0 || *row >= dataset.ViewCount()) {
    failures.push_back("pick list \"" + std::string(title) + "\" has no row " + std::to_string(*row));
    return false;
  }
  dataset.First();
  dataset.MoveBy(*row);
  return true;
}

void Dialogs::ShowWait(int, std::string_view text) {
  waitShown = true;
  waits.emplace_back(text);
}

int Dialogs::RunModal(toolkit::Form& form) {
  if (!modalRunner) {
    failures.push_back("modal form " + form.Name() + " opened outside a script");
    return toolkit::mrCancel;
  }
  modalRunner(form);
  return form.ModalResult();
}

void Dialogs::ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction) { reports.push_back(report); }

}  // namespace scenario
