#pragma once
// The dialog service on Qt widgets: message boxes, the pick list, the wait
// indicator, modal forms in a QDialog and report preview or printing.
// The wait indicator is only shown once the wait has lasted kWaitDelay
// (a quick answer flashes nothing); it is replaced at once when shown.
// Every dialog but the wait panel is modal and centred over the parent
// given at construction (may be null); each takes the wait panel away
// before it shows.
//
// RunModal runs a local event loop until the form stops being modal; a
// window closed by the person closes the form; when its OnClose refuses
// (caNone) the window stays and the run goes on. An exception from renderForm or from the form's
// OnClose ends the modal run and propagates out of RunModal, never through
// Qt's event loop.

#include <chrono>
#include <exception>
#include <string>
#include <functional>
#include <memory>
#include <string_view>

#include <QPointer>

#include "toolkit/controls/DialogService.h"

class QDialog;
class QMessageBox;
class QWidget;

namespace toolkit {
class Form;
}

namespace desktop {

class WaitPanel;

class QtDialogs : public toolkit::DialogService {
 public:
  // Builds the widget showing a form inside parent; it is deleted when the
  // modal run ends.
  using FormRenderer = std::function<QWidget*(toolkit::Form&, QWidget* parent)>;

  QtDialogs(QWidget* parent, FormRenderer renderForm);
  ~QtDialogs() override;
  QtDialogs(const QtDialogs&) = delete;
  QtDialogs& operator=(const QtDialogs&) = delete;

  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  bool Confirm(std::string_view text) override;
  bool PickRow(std::string_view title, toolkit::DataSet& dataset, const std::vector<toolkit::Field*>& fields,
               std::string_view initialSearch = {}) override;
  void ShowWait(int kind, std::string_view text) override;
  void HideWait() override;
  // The wait indicator shows once a wait has lasted kWaitDelay; a call
  // nobody announced a wait for gets one of its own after as long, gone
  // when the call ends.
  void Waiting() override;
  void CallEnded() override;
  static constexpr std::chrono::milliseconds kWaitDelay{300};
  int RunModal(toolkit::Form& form) override;
  void ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction action) override;
  void ShowHelp(std::string_view title, std::string_view html) override;
  // Qt's own file dialog (the same on every desktop, in Portuguese).
  std::string ChooseFile(toolkit::FileAction action, std::string_view title, std::string_view suggested,
                         std::string_view filter) override;
  // A QMenu at the control (at the mouse after a right click).
  toolkit::MenuItem* ChooseMenuItem(const std::vector<toolkit::MenuItem*>& items, toolkit::Control& at) override;

  // The boxes the messages and confirmations run, not yet shown.
  static std::unique_ptr<QMessageBox> ErrorBox(std::string_view text, QWidget* parent);
  static std::unique_ptr<QMessageBox> InformationBox(std::string_view text, QWidget* parent);
  static std::unique_ptr<QMessageBox> ConfirmBox(std::string_view text, QWidget* parent);
  // The help window: the rich text and a "Fechar" button.
  static std::unique_ptr<QDialog> HelpWindow(std::string_view title, std::string_view html, QWidget* parent);

  // The wait panel, once a wait was shown (hidden after HideWait).
  WaitPanel* Panel() const;

 private:
  void RunFormDialog(toolkit::Form& form, std::exception_ptr& failure);
  void ShowPanel(int kind, const std::string& text);

  QPointer<QWidget> parent_;
  FormRenderer renderForm_;
  QPointer<WaitPanel> panel_;
  bool waitCursor_ = false;
  // A wait asked for and not yet shown.
  bool waitPending_ = false;
  int waitKind_ = 0;
  std::string waitText_;
  std::chrono::steady_clock::time_point waitSince_;
  // A call waiting with no wait announced, and whether its own is shown.
  bool callWaiting_ = false;
  bool callWaitShown_ = false;
  std::chrono::steady_clock::time_point callSince_;
};

}  // namespace desktop
