#pragma once
// The host's main window: an MDI area where each MDI-child form of the
// toolkit appears as a sub-window, the menu that opens the screen, and a
// status bar naming the application server and the database.
#include <QMainWindow>
#include <memory>
#include <unordered_map>

#include "host/ScreenModule.h"
#include "toolkit/controls/Application.h"

class QMdiArea;
class QMdiSubWindow;

namespace toolkit {
class DialogService;
}

namespace desktop {
class FormView;
}

namespace host {

class MainWindow : public QMainWindow, public toolkit::ApplicationObserver {
  Q_OBJECT

 public:
  // modulePath: the screen module's file; databaseUrl: the general
  // database, shown in the status bar without its password. The toolkit
  // application must have its dialog service set.
  MainWindow(std::string modulePath, const QString& serverText, const std::string& databaseUrl);
  ~MainWindow() override;

  // The menu entry: loads the module on first use and opens the screen;
  // a failure is shown as an error.
  void OpenScreen();
  // The sub-window showing the form, or nullptr.
  QMdiSubWindow* SubWindowOf(const toolkit::Form& form) const;
  desktop::FormView* ViewOf(const toolkit::Form& form) const;
  QMdiArea* MdiArea() const { return mdi_; }
  // Destroys the screens, then unloads the module.
  void Shutdown();

  void FormAdded(toolkit::Form& form) override;
  void FormRemoved(toolkit::Form& form) override;
  void ActiveFormChanged(toolkit::Form* form) override;
  void CursorChanged(int cursor) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddSubWindow(toolkit::Form& form);
  void FollowWindowState(toolkit::Form& form);
  void FitToShow(QMdiSubWindow& window);

  QMdiArea* mdi_;
  ScreenModule module_;
  std::unique_ptr<toolkit::Form> hostForm_;  // the toolkit's main form
  std::unordered_map<const toolkit::Form*, QMdiSubWindow*> windows_;
  bool following_ = false;  // echoing a toolkit change into Qt
  bool busyCursor_ = false;
};

}  // namespace host
