#pragma once
// A dialog service that records what was shown and answers from queues:
// for tests, and the base of the scenario runner's.
//
// A confirmation or pick list with no queued answer, and a modal form with
// no queued action (or one that leaves it open), throw std::logic_error
// naming the dialog, so that a test cannot pass on an unexpected question.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/controls/DialogService.h"

namespace toolkit {

class RecordingDialogs : public DialogService {
 public:
  enum class Kind { Error, Information, Confirmation, PickList, Wait, WaitHidden, Modal, Report, Help, File, Menu };
  struct Entry {
    Kind kind;
    std::string text;  // message, question, pick-list title, wait text, form name, report title
  };

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text) override;
  bool PickRow(std::string_view title, DataSet& dataset, const std::vector<Field*>& fields,
               std::string_view initialSearch = {}) override;
  void ShowWait(int kind, std::string_view text) override;
  void HideWait() override;
  int RunModal(Form& form) override;
  void ShowReport(const ReportDocument& report, ReportAction action) override;
  void ShowHelp(std::string_view title, std::string_view html) override;
  // The next queued path ("" for none chosen); std::logic_error without one.
  std::string ChooseFile(FileAction action, std::string_view title, std::string_view suggested,
                         std::string_view filter) override;
  // The item whose caption (without '&') is the next queued one; nullptr
  // for a queued "". std::logic_error without one, or for a caption the
  // menu does not show.
  MenuItem* ChooseMenuItem(const std::vector<MenuItem*>& items, Control& at) override;

  // Answers for the next confirmations (true: Yes).
  void QueueAnswer(bool yes) { answers_.push_back(yes); }
  // Row (view index) for the next pick list, or nullopt for no pick.
  void QueuePick(std::optional<int> row) { picks_.push_back(row); }
  // What to do inside the next modal form; it must close the form.
  void QueueModal(std::function<void(Form&)> action) { modals_.push_back(std::move(action)); }
  // Path for the next file dialog ("" for none chosen).
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  // Caption of the item to choose in the next context menu ("" for none).
  void QueueMenuItem(std::string caption) { menuItems_.push_back(std::move(caption)); }

  const std::vector<Entry>& Log() const { return log_; }
  // Error and information texts, in order.
  std::vector<std::string> Messages() const;
  // Removes and returns the recorded messages.
  std::vector<std::string> TakeMessages();
  bool WaitShown() const { return waitShown_; }
  int WaitKind() const { return waitKind_; }
  const std::vector<ReportDocument>& Reports() const { return reports_; }
  // The rich text of the last help shown, empty when none was.
  const std::string& LastHelp() const { return lastHelp_; }
  const std::vector<std::vector<std::string>>& PickedFields() const { return pickFields_; }
  // The search each pick list opened with, in order.
  const std::vector<std::string>& PickSearches() const { return pickSearches_; }
  void Clear();

 private:
  std::vector<Entry> log_;
  std::deque<bool> answers_;
  std::deque<std::optional<int>> picks_;
  std::deque<std::function<void(Form&)>> modals_;
  std::deque<std::string> files_;
  std::deque<std::string> menuItems_;
  std::vector<ReportDocument> reports_;
  std::string lastHelp_;
  std::vector<std::vector<std::string>> pickFields_;
  std::vector<std::string> pickSearches_;
  bool waitShown_ = false;
  int waitKind_ = -1;
};

}  // namespace toolkit
