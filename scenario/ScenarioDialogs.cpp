#include "scenario/ScenarioDialogs.h"

#include <stdexcept>

#include "scenario/Failure.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/DataSet.h"

namespace scenario {

std::optional<ScenarioDialogs::Message> ScenarioDialogs::TakeMessage() {
  if (messages_.empty()) return std::nullopt;
  Message message = std::move(messages_.front());
  messages_.pop_front();
  return message;
}

void ScenarioDialogs::ShowError(std::string_view text) { messages_.push_back({std::string(text), true, CurrentLine()}); }

void ScenarioDialogs::ShowInformation(std::string_view text) {
  messages_.push_back({std::string(text), false, CurrentLine()});
}

bool ScenarioDialogs::Confirm(std::string_view text) {
  if (answers_.empty()) Fail("confirmation without a queued answer: " + Quote(std::string(text)));
  const QueuedAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.question && *answer.question != text)
    Fail("the answer of line " + std::to_string(answer.line) + " was for " + Quote(*answer.question) +
         ", the confirmation asked " + Quote(std::string(text)));
  return answer.yes;
}

bool ScenarioDialogs::PickRow(std::string_view title, toolkit::DataSet& dataset,
                              const std::vector<toolkit::Field*>&, std::string_view) {
  if (picks_.empty()) Fail("pick list without a queued pick: " + Quote(std::string(title)));
  const std::optional<int> row = picks_.front().row;
  picks_.pop_front();
  if (!row) return false;
  if (*row >= dataset.ViewCount())
    Fail("pick list " + Quote(std::string(title)) + " has no row " + std::to_string(*row) + ": it shows " +
         std::to_string(dataset.ViewCount()));
  dataset.MoveBy(*row - dataset.CurrentIndex());
  return true;
}

std::string ScenarioDialogs::ChooseFile(toolkit::FileAction, std::string_view title, std::string_view,
                                        std::string_view) {
  if (files_.empty()) Fail("file dialog without a queued file: " + Quote(std::string(title)));
  std::string path = std::move(files_.front());
  files_.pop_front();
  return path;
}

toolkit::MenuItem* ScenarioDialogs::ChooseMenuItem(const std::vector<toolkit::MenuItem*>& items,
                                                   toolkit::Control& at) {
  std::string shown;
  for (const toolkit::MenuItem* item : items) shown += (shown.empty() ? "" : ", ") + Quote(item->PlainCaption());
  if (menuItems_.empty()) Fail("context menu of " + at.Name() + " without a queued choice: " + shown);
  const QueuedMenuItem queued = menuItems_.front();
  menuItems_.pop_front();
  if (queued.caption.empty()) return nullptr;
  for (toolkit::MenuItem* item : items)
    if (item->PlainCaption() == queued.caption) return item;
  Fail("the context menu of " + at.Name() + " has no item " + Quote(queued.caption) + ": it shows " + shown);
}

void ScenarioDialogs::ShowWait(int, std::string_view) { waitShown_ = true; }

void ScenarioDialogs::HideWait() { waitShown_ = false; }

int ScenarioDialogs::RunModal(toolkit::Form& form) {
  if (!modalRunner_) throw std::logic_error("No script runs the modal form " + form.Name());
  form.BeginModal();
  try {
    modalRunner_(form);
  } catch (...) {
    if (form.Modal()) form.EndModal();
    throw;
  }
  return form.ModalResult();
}

void ScenarioDialogs::SetPdfOutput(std::filesystem::path dir, std::string stem, PdfWriter writer) {
  pdfDir_ = std::move(dir);
  pdfStem_ = std::move(stem);
  pdfWriter_ = std::move(writer);
}

void ScenarioDialogs::ShowHelp(std::string_view /*title*/, std::string_view html) { lastHelp_ = html; }

void ScenarioDialogs::ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction) {
  lastReport_ = report;
  lastPdf_.clear();
  if (!pdfWriter_) return;
  const std::filesystem::path file = pdfDir_ / (pdfStem_ + "-" + std::to_string(++pdfCount_) + ".pdf");
  pdfWriter_(report, file);
  lastPdf_ = file;
}

}  // namespace scenario
