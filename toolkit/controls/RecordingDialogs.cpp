#include "toolkit/controls/RecordingDialogs.h"

#include <stdexcept>

#include "toolkit/controls/Form.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/DataSet.h"

namespace toolkit {

void RecordingDialogs::ShowError(std::string_view text) { log_.push_back({Kind::Error, std::string(text)}); }

void RecordingDialogs::ShowInformation(std::string_view text) {
  log_.push_back({Kind::Information, std::string(text)});
}

bool RecordingDialogs::Confirm(std::string_view text) {
  log_.push_back({Kind::Confirmation, std::string(text)});
  if (answers_.empty()) throw std::logic_error("Confirmation without a queued answer: " + std::string(text));
  bool yes = answers_.front();
  answers_.pop_front();
  return yes;
}

bool RecordingDialogs::PickRow(std::string_view title, DataSet& dataset, const std::vector<Field*>& fields,
                               std::string_view initialSearch) {
  log_.push_back({Kind::PickList, std::string(title)});
  std::vector<std::string> names;
  for (Field* f : fields) names.push_back(f->FieldName());
  pickFields_.push_back(std::move(names));
  pickSearches_.emplace_back(initialSearch);
  if (picks_.empty()) throw std::logic_error("Pick list without a queued pick: " + std::string(title));
  std::optional<int> row = picks_.front();
  picks_.pop_front();
  if (!row) return false;
  if (*row < 0 || *row >= dataset.ViewCount())
    throw std::logic_error("Pick list '" + std::string(title) + "': no row " + std::to_string(*row) + " among " +
                           std::to_string(dataset.ViewCount()));
  dataset.MoveBy(*row - dataset.CurrentIndex());
  return true;
}

void RecordingDialogs::ShowWait(int kind, std::string_view text) {
  log_.push_back({Kind::Wait, std::string(text)});
  waitShown_ = true;
  waitKind_ = kind;
}

void RecordingDialogs::HideWait() {
  log_.push_back({Kind::WaitHidden, ""});
  waitShown_ = false;
}

int RecordingDialogs::RunModal(Form& form) {
  log_.push_back({Kind::Modal, form.Name()});
  if (modals_.empty()) throw std::logic_error("Modal form without a queued action: " + form.Name());
  auto action = std::move(modals_.front());
  modals_.pop_front();
  form.BeginModal();
  try {
    action(form);
  } catch (...) {
    if (form.Modal()) form.EndModal();
    throw;
  }
  if (form.Modal()) {
    form.EndModal();
    throw std::logic_error("Modal form left open by its queued action: " + form.Name());
  }
  return form.ModalResult();
}

void RecordingDialogs::ShowReport(const ReportDocument& report, ReportAction) {
  log_.push_back({Kind::Report, report.title});
  reports_.push_back(report);
}

std::string RecordingDialogs::ChooseFile(FileAction /*action*/, std::string_view title, std::string_view /*suggested*/,
                                         std::string_view /*filter*/) {
  log_.push_back({Kind::File, std::string(title)});
  if (files_.empty()) throw std::logic_error("File dialog without a queued path: " + std::string(title));
  std::string path = std::move(files_.front());
  files_.pop_front();
  return path;
}

MenuItem* RecordingDialogs::ChooseMenuItem(const std::vector<MenuItem*>& items, Control& /*at*/) {
  std::string shown;
  for (const MenuItem* item : items) shown += (shown.empty() ? "" : " | ") + item->PlainCaption();
  log_.push_back({Kind::Menu, shown});
  if (menuItems_.empty()) throw std::logic_error("Context menu without a queued choice: " + shown);
  const std::string caption = std::move(menuItems_.front());
  menuItems_.pop_front();
  if (caption.empty()) return nullptr;
  for (MenuItem* item : items)
    if (item->PlainCaption() == caption) return item;
  throw std::logic_error("The context menu has no item \"" + caption + "\": " + shown);
}

void RecordingDialogs::ShowHelp(std::string_view title, std::string_view html) {
  log_.push_back({Kind::Help, std::string(title)});
  lastHelp_ = html;
}

std::vector<std::string> RecordingDialogs::Messages() const {
  std::vector<std::string> out;
  for (const Entry& e : log_)
    if (e.kind == Kind::Error || e.kind == Kind::Information) out.push_back(e.text);
  return out;
}

std::vector<std::string> RecordingDialogs::TakeMessages() {
  std::vector<std::string> out = Messages();
  std::erase_if(log_, [](const Entry& e) { return e.kind == Kind::Error || e.kind == Kind::Information; });
  return out;
}

void RecordingDialogs::Clear() {
  log_.clear();
  answers_.clear();
  picks_.clear();
  modals_.clear();
  menuItems_.clear();
  reports_.clear();
  pickFields_.clear();
  lastHelp_.clear();
  pickSearches_.clear();
  waitShown_ = false;
  waitKind_ = -1;
}

}  // namespace toolkit
