#pragma once
// The scenario's dialog service: records what the screen shows, answers
// confirmations and pick lists from queues, and runs modal forms through
// the script lines that follow.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/controls/DialogService.h"

namespace scenario {

class Dialogs : public toolkit::DialogService {
 public:
  void ShowError(std::string_view text) override { messages.emplace_back(text); }
  void ShowInformation(std::string_view text) override { messages.emplace_back(text); }
  bool Confirm(std::string_view text) override;
  bool PickRow(std::string_view title, toolkit::DataSet& dataset, const std::vector<toolkit::Field*>& fields) override;
  void ShowWait(int kind, std::string_view text) override;
  void HideWait() override { waitShown = false; }
  int RunModal(toolkit::Form& form) override;
  void ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction action) override;

  std::deque<bool> answers;
  std::deque<std::optional<int>> picks;
  std::deque<std::string> messages;         // shown and not yet checked
  std::vector<std::string> failures;        // questions nobody answered
  std::vector<toolkit::ReportDocument> reports;
  std::vector<std::string> waits;           // texts of the wait indicators shown
  bool waitShown = false;
  // Runs the script inside a modal form until it closes.
  std::function<void(toolkit::Form&)> modalRunner;
};

}  // namespace scenario
