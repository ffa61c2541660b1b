#include "host/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <algorithm>

#include "appserver/db/UrlText.h"
#include "desktop/FormView.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Input.h"

namespace host {

namespace {

// Closing the sub-window asks the form; the form decides whether it goes.
class FormSubWindow : public QMdiSubWindow {
 public:
  FormSubWindow(toolkit::Form& form, QWidget* parent) : QMdiSubWindow(parent), form_(&form) {}
  void Forget() { form_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (!form_) return QMdiSubWindow::closeEvent(event);
    event->ignore();
    toolkit::input::CloseForm(*form_);
  }

 private:
  toolkit::Form* form_;
};

}  // namespace

MainWindow::MainWindow(std::string modulePath, const QString& serverText, const std::string& databaseUrl)
    : mdi_(new QMdiArea(this)), module_(std::move(modulePath)), hostForm_(std::make_unique<toolkit::Form>()) {
  setWindowTitle(QStringLiteral("Catering - ATE"));
  setCentralWidget(mdi_);
  QMenu* menu = menuBar()->addMenu(QStringLiteral("&Cadastros"));
  menu->addAction(QStringLiteral("Proporção de Serviço por Passageiro (ATE11600)"), this, &MainWindow::OpenScreen);
  statusBar()->addWidget(new QLabel(QStringLiteral("Servidor: ") + serverText));
  statusBar()->addPermanentWidget(new QLabel(QStringLiteral("Banco: ") + QString::fromStdString(dbsession::WithoutPassword(databaseUrl))));
  hostForm_->SetName("frmPrincipal");
  toolkit::Application::Instance().SetMainForm(hostForm_.get());
  toolkit::Application::Instance().AddObserver(this);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
    if (following_ || !window) return;
    for (auto& [form, w] : windows_)
      if (w == window) toolkit::input::ActivateForm(*const_cast<toolkit::Form*>(form));
  });
  resize(900, 600);
}

MainWindow::~MainWindow() { Shutdown(); }

void MainWindow::Shutdown() {
  toolkit::Application& app = toolkit::Application::Instance();
  app.RemoveObserver(this);
  // The forms run the module's code: they go before the module.
  for (toolkit::Form* form : std::vector<toolkit::Form*>(app.Forms()))
    if (form != hostForm_.get()) app.DestroyForm(*form);
  for (auto& [form, window] : windows_) static_cast<FormSubWindow*>(window)->Forget();
  module_.Unload();
  if (app.MainForm() == hostForm_.get()) app.SetMainForm(nullptr);
}

void MainWindow::OpenScreen() {
  try {
    module_.Open();
  } catch (const std::exception& e) {
    toolkit::Application::Instance().Dialogs().ShowError(e.what());
  }
  toolkit::Application::Instance().ProcessReleased();
}

QMdiSubWindow* MainWindow::SubWindowOf(const toolkit::Form& form) const {
  auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : it->second;
}

desktop::FormView* MainWindow::ViewOf(const toolkit::Form& form) const {
  QMdiSubWindow* window = SubWindowOf(form);
  return window ? qobject_cast<desktop::FormView*>(window->widget()) : nullptr;
}

void MainWindow::FormAdded(toolkit::Form& form) {
  if (form.FormStyle() == toolkit::FormStyle::fsMDIChild) AddSubWindow(form);
}

void MainWindow::AddSubWindow(toolkit::Form& form) {
  auto* view = new desktop::FormView(form);
  auto* window = new FormSubWindow(form, mdi_);
  window->setWidget(view);
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(view->windowTitle());
  window->resize(window->sizeHint());
  FitToShow(*window);
  windows_[&form] = window;
  connect(view, &desktop::FormView::CaptionChanged, window, &QMdiSubWindow::setWindowTitle);
  connect(view, &desktop::FormView::WindowStateChanged, this, [this, &form] { FollowWindowState(form); });
  window->show();
}

// The screen opens whole: the main window grows to hold it, within the
// screen; where it cannot, both are maximised.
void MainWindow::FitToShow(QMdiSubWindow& window) {
  const QSize chrome = size() - mdi_->viewport()->size();
  const QSize need = window.size() + chrome;
  const QScreen* display = screen();
  const QRect room = display ? display->availableGeometry() : QRect(QPoint(0, 0), need);
  if (need.width() > room.width() || need.height() > room.height()) {
    showMaximized();
    window.setWindowState(Qt::WindowMaximized);
    return;
  }
  if (width() >= need.width() && height() >= need.height()) return;
  resize(need.expandedTo(size()));
  // Moved back inside the screen if growing pushed it out.
  QRect frame = frameGeometry();
  frame.moveRight(std::min(frame.right(), room.right()));
  frame.moveBottom(std::min(frame.bottom(), room.bottom()));
  move(std::max(frame.left(), room.left()), std::max(frame.top(), room.top()));
}

void MainWindow::FormRemoved(toolkit::Form& form) {
  auto it = windows_.find(&form);
  if (it == windows_.end()) return;
  auto* window = static_cast<FormSubWindow*>(it->second);
  windows_.erase(it);
  window->Forget();
  // The form is half destroyed: its view must ask it nothing more, not
  // even while the window hides.
  if (auto* view = qobject_cast<desktop::FormView*>(window->widget())) view->FormRemoved(form);
  // Not close(): the removal may come from inside the window's own close.
  window->hide();
  window->deleteLater();
}

void MainWindow::ActiveFormChanged(toolkit::Form* form) {
  QMdiSubWindow* window = form ? SubWindowOf(*form) : nullptr;
  if (!window || mdi_->activeSubWindow() == window) return;
  following_ = true;
  mdi_->setActiveSubWindow(window);
  following_ = false;
}

void MainWindow::FollowWindowState(toolkit::Form& form) {
  QMdiSubWindow* window = SubWindowOf(form);
  if (!window) return;
  following_ = true;
  switch (form.WindowState()) {
    case toolkit::WindowState::wsMinimized: window->showMinimized(); break;
    case toolkit::WindowState::wsMaximized: window->showMaximized(); break;
    default: window->showNormal(); break;
  }
  following_ = false;
}

void MainWindow::CursorChanged(int cursor) {
  const bool busy = cursor == toolkit::crHourGlass;
  if (busy == busyCursor_) return;
  busyCursor_ = busy;
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  else QApplication::restoreOverrideCursor();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Shutdown();
  QMainWindow::closeEvent(event);
}

}  // namespace host
