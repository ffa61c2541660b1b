#pragma once
// The runner's dialog service: records the messages shown, answers
// confirmations and pick lists from queues filled by the script, and runs a
// modal form by handing it to the script's following lines.
//
// A confirmation or pick list with nothing queued, and a pick of a row the
// list does not have, throw ScriptFailure naming the dialog.

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "toolkit/controls/DialogService.h"

namespace scenario {

class ScenarioDialogs : public toolkit::DialogService {
 public:
  struct Message {
    std::string text;
    bool error = false;
    int line = 0;  // the script line that was running when it was shown
  };
  struct QueuedPick {
    std::optional<int> row;  // nullopt: pick nothing
    int line = 0;
  };
  struct QueuedAnswer {
    bool yes = false;
    int line = 0;
    std::optional<std::string> question;  // set: the confirmation must ask exactly this
  };
  // Runs the modal form (it is modal when called) until it closes.
  using ModalRunner = std::function<void(toolkit::Form&)>;
  using LineSource = std::function<int()>;

  using PdfWriter = std::function<void(const toolkit::ReportDocument&, const std::filesystem::path&)>;

  void SetModalRunner(ModalRunner runner) { modalRunner_ = std::move(runner); }
  // Each shown report is also written to dir/<stem>-<n>.pdf by writer.
  void SetPdfOutput(std::filesystem::path dir, std::string stem, PdfWriter writer);
  void SetLineSource(LineSource source) { lineSource_ = std::move(source); }

  void QueueAnswer(bool yes, int line, std::optional<std::string> question = std::nullopt) {
    answers_.push_back({yes, line, std::move(question)});
  }
  void QueuePick(std::optional<int> row, int line) { picks_.push_back({row, line}); }
  // The path the next file dialog answers ("" for none chosen).
  void QueueFile(std::string path) { files_.push_back(std::move(path)); }
  const std::deque<std::string>& Files() const { return files_; }
  // The caption of the item the next context menu chooses ("" for none).
  void QueueMenuItem(std::string caption, int line) { menuItems_.push_back({std::move(caption), line}); }
  struct QueuedMenuItem {
    std::string caption;
    int line = 0;
  };
  const std::deque<QueuedMenuItem>& MenuItems() const { return menuItems_; }
  const std::deque<QueuedAnswer>& Answers() const { return answers_; }
  const std::deque<QueuedPick>& Picks() const { return picks_; }

  // The oldest message not checked yet, or nullopt.
  std::optional<Message> TakeMessage();
  const std::deque<Message>& Unchecked() const { return messages_; }

  bool WaitShown() const { return waitShown_; }
  const std::optional<toolkit::ReportDocument>& LastReport() const { return lastReport_; }
  // The PDF of the last shown report; empty when none was written.
  const std::filesystem::path& LastPdf() const { return lastPdf_; }
  bool WritesPdf() const { return static_cast<bool>(pdfWriter_); }

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text) override;
  // Picks the queued row of the dataset's view, whatever the list opened
  // searching for: scripts name rows as the dataset holds them.
  bool PickRow(std::string_view title, toolkit::DataSet& dataset, const std::vector<toolkit::Field*>& fields,
               std::string_view initialSearch = {}) override;
  void ShowWait(int kind, std::string_view text) override;
  void HideWait() override;
  // Throws std::logic_error when no modal runner is set.
  int RunModal(toolkit::Form& form) override;
  void ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction action) override;
  void ShowHelp(std::string_view title, std::string_view html) override;
  // The queued path; a script failure without one.
  std::string ChooseFile(toolkit::FileAction action, std::string_view title, std::string_view suggested,
                         std::string_view filter) override;
  // The queued item, by its caption without '&'; a script failure without
  // one, or when the menu has no such item.
  toolkit::MenuItem* ChooseMenuItem(const std::vector<toolkit::MenuItem*>& items, toolkit::Control& at) override;
  // The rich text of the last help shown, empty when none was.
  const std::string& LastHelp() const { return lastHelp_; }

 private:
  int CurrentLine() const { return lineSource_ ? lineSource_() : 0; }

  std::deque<Message> messages_;
  std::deque<QueuedAnswer> answers_;
  std::deque<QueuedPick> picks_;
  std::deque<std::string> files_;
  std::deque<QueuedMenuItem> menuItems_;
  std::optional<toolkit::ReportDocument> lastReport_;
  std::string lastHelp_;
  std::filesystem::path pdfDir_, lastPdf_;
  std::string pdfStem_;
  PdfWriter pdfWriter_;
  int pdfCount_ = 0;
  ModalRunner modalRunner_;
  LineSource lineSource_;
  bool waitShown_ = false;
};

}  // namespace scenario
