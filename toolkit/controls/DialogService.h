#pragma once
// How screens reach people: messages, confirmations, pick lists, the wait
// indicator, modal forms and reports. The desktop front end and the
// scenario runner implement it; screens never talk to people otherwise.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace toolkit {

class DataSet;
class Field;
class Control;
class Form;
class MenuItem;

// A laid-out report, ready to preview or print.
struct ReportDocument {
  std::string title;
  std::string html;  // rich text of the whole report, page breaks as CSS
  std::vector<std::pair<std::string, std::string>> parameters;  // name, value
};

enum class ReportAction { Preview, Print };

// A file to read from (Open: it must exist) or to write to (Save: an
// existing one is replaced, after the user agreed).
enum class FileAction { Open, Save };

class DialogService {
 public:
  virtual ~DialogService() = default;

  virtual void ShowError(std::string_view text) = 0;
  virtual void ShowInformation(std::string_view text) = 0;
  // Yes/No; true for Yes.
  virtual bool Confirm(std::string_view text) = 0;
  // Lets the user pick a row of dataset, showing the given fields. Returns
  // true with the picked row current, false (cursor where it was) when the
  // user picked nothing. initialSearch, when not empty, is what the list
  // opens searching for, as if typed into its search box: only the rows
  // matching it show, the first of them current. Empty, every row shows
  // with the dataset's current row current.
  virtual bool PickRow(std::string_view title, DataSet& dataset, const std::vector<Field*>& fields,
                       std::string_view initialSearch = {}) = 0;
  // Shows (and replaces) or hides the wait indicator; kind 0 connecting,
  // 1 saving.
  virtual void ShowWait(int kind, std::string_view text) = 0;
  virtual void HideWait() = 0;
  // Called every few tens of milliseconds while a remote call waits for
  // its answer, and once when the call ends: a service that shows a wait
  // only once it lasts (the one announced by ShowWait, or one of the call's
  // own) shows it, and takes the call's own away. Nothing to do for
  // services that show waits at once.
  virtual void Waiting() {}
  virtual void CallEnded() {}
  // Runs a modal form until it closes; returns its modal result.
  virtual int RunModal(Form& form) = 0;
  virtual void ShowReport(const ReportDocument& report, ReportAction action) = 0;
  // Shows a screen's help (rich text) in a window titled title.
  virtual void ShowHelp(std::string_view title, std::string_view html) = 0;
  // Asks for a file, proposing suggested (a name or a path); filter names
  // the kind ("Arquivos CSV (*.csv)"). The path chosen, or "" when the
  // user chose none.
  virtual std::string ChooseFile(FileAction action, std::string_view title, std::string_view suggested,
                                 std::string_view filter) = 0;
  // Shows the items (disabled ones greyed) as a menu at the control: where
  // a grid's current cell is, for a grid. Returns the item the person
  // chose, nullptr when the menu was dismissed. Does not click it.
  virtual MenuItem* ChooseMenuItem(const std::vector<MenuItem*>& items, Control& at) = 0;
};

}  // namespace toolkit
