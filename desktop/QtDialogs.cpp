#include "desktop/QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <exception>

#include "desktop/PickListDialog.h"
#include "desktop/ReportView.h"
#include "desktop/WaitPanel.h"
#include "toolkit/controls/Form.h"
#include "toolkit/data/DataSet.h"

namespace desktop {

namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::unique_ptr<QMessageBox> Box(QMessageBox::Icon icon, const QString& title, std::string_view text,
                                 QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(icon, title, FromUtf8(text), QMessageBox::Ok, parent);
  box->setDefaultButton(QMessageBox::Ok);
  return box;
}

constexpr int kModalPollMs = 20;

}  // namespace

QtDialogs::QtDialogs(QWidget* parent, FormRenderer renderForm)
    : parent_(parent), renderForm_(std::move(renderForm)) {}

WaitPanel* QtDialogs::Panel() const { return panel_; }

QtDialogs::~QtDialogs() {
  HideWait();
  delete panel_.data();
}

std::unique_ptr<QMessageBox> QtDialogs::ErrorBox(std::string_view text, QWidget* parent) {
  return Box(QMessageBox::Critical, QObject::tr("Erro"), text, parent);
}

std::unique_ptr<QMessageBox> QtDialogs::InformationBox(std::string_view text, QWidget* parent) {
  return Box(QMessageBox::Information, QObject::tr("Informação"), text, parent);
}

std::unique_ptr<QMessageBox> QtDialogs::ConfirmBox(std::string_view text, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QObject::tr("Confirmação"), FromUtf8(text),
                                           QMessageBox::Yes | QMessageBox::No, parent);
  box->button(QMessageBox::Yes)->setText(QObject::tr("Sim"));
  box->button(QMessageBox::No)->setText(QObject::tr("Não"));
  // Every confirmation here deletes or drops something: a hurried Return
  // must not.
  box->setDefaultButton(QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  return box;
}

// Every dialog first takes the wait indicator away: it would stand over
// the dialog and tell of a wait that is over.
void QtDialogs::ShowError(std::string_view text) {
  HideWait();
  ErrorBox(text, parent_)->exec();
}

void QtDialogs::ShowInformation(std::string_view text) {
  HideWait();
  InformationBox(text, parent_)->exec();
}

bool QtDialogs::Confirm(std::string_view text) {
  HideWait();
  return ConfirmBox(text, parent_)->exec() == QMessageBox::Yes;
}

std::string QtDialogs::ChooseFile(toolkit::FileAction action, std::string_view title, std::string_view suggested,
                                  std::string_view filter) {
  HideWait();
  const QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
  const QString path =
      action == toolkit::FileAction::Save
          ? QFileDialog::getSaveFileName(parent_, FromUtf8(title), FromUtf8(suggested), FromUtf8(filter), nullptr,
                                         options)
          : QFileDialog::getOpenFileName(parent_, FromUtf8(title), FromUtf8(suggested), FromUtf8(filter), nullptr,
                                         options);
  return path.toStdString();
}

void QtDialogs::ShowHelp(std::string_view title, std::string_view html) {
  HideWait();
  HelpWindow(title, html, parent_)->exec();
}

std::unique_ptr<QDialog> QtDialogs::HelpWindow(std::string_view title, std::string_view html, QWidget* parent) {
  auto dialog = std::make_unique<QDialog>(parent);
  dialog->setWindowTitle(QObject::tr("Ajuda - %1").arg(FromUtf8(title)));
  auto* layout = new QVBoxLayout(dialog.get());
  auto* text = new QTextBrowser(dialog.get());
  text->setHtml(FromUtf8(html));
  text->setOpenLinks(false);
  layout->addWidget(text);
  auto* buttons = new QDialogButtonBox(dialog.get());
  QPushButton* close = buttons->addButton(QObject::tr("Fechar"), QDialogButtonBox::RejectRole);
  close->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog.get(), &QDialog::reject);
  layout->addWidget(buttons);
  dialog->resize(620, 560);
  return dialog;
}

bool QtDialogs::PickRow(std::string_view title, toolkit::DataSet& dataset,
                        const std::vector<toolkit::Field*>& fields, std::string_view initialSearch) {
  HideWait();
  const QString search = FromUtf8(initialSearch);
  // Opened on no row, the search makes its first match current.
  PickListDialog dialog(FromUtf8(title), PickColumns(fields), PickCells(dataset, fields),
                        search.isEmpty() ? dataset.CurrentIndex() : -1, parent_);
  dialog.SetSearch(search);
  if (dialog.exec() != QDialog::Accepted || dialog.ChosenRow() < 0) return false;
  dataset.MoveBy(dialog.ChosenRow() - dataset.CurrentIndex());
  return true;
}

void QtDialogs::ShowWait(int kind, std::string_view text) {
  waitKind_ = kind;
  waitText_ = text;
  callWaitShown_ = false;  // announced now: it stays until HideWait
  if (panel_ && panel_->isVisible()) return panel_->ShowText(kind, text);
  if (!waitPending_) waitSince_ = std::chrono::steady_clock::now();
  waitPending_ = true;
}

void QtDialogs::Waiting() {
  const auto now = std::chrono::steady_clock::now();
  if (panel_ && panel_->isVisible()) {
    // Already up: keep it painted while the caller blocks.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return;
  }
  if (waitPending_) {
    if (now - waitSince_ < kWaitDelay) return;
    waitPending_ = false;
    return ShowPanel(waitKind_, waitText_);
  }
  if (!callWaiting_) {
    callWaiting_ = true;
    callSince_ = now;
  }
  if (now - callSince_ < kWaitDelay) return;
  callWaitShown_ = true;
  ShowPanel(1, QObject::tr("Aguardando resposta do servidor...").toStdString());
}

void QtDialogs::CallEnded() {
  callWaiting_ = false;
  if (callWaitShown_) HideWait();
}

void QtDialogs::ShowPanel(int kind, const std::string& text) {
  if (!waitCursor_) QApplication::setOverrideCursor(Qt::WaitCursor);
  waitCursor_ = true;
  if (!panel_) panel_ = new WaitPanel(parent_);
  panel_->ShowText(kind, text);
}

void QtDialogs::HideWait() {
  waitPending_ = false;
  callWaiting_ = false;
  callWaitShown_ = false;
  if (waitCursor_) QApplication::restoreOverrideCursor();
  waitCursor_ = false;
  if (panel_) panel_->hide();
}

int QtDialogs::RunModal(toolkit::Form& form) {
  HideWait();
  form.BeginModal();
  std::exception_ptr failure;
  try {
    RunFormDialog(form, failure);
  } catch (...) {
    failure = std::current_exception();
  }
  if (form.Modal()) form.EndModal();
  if (failure) std::rethrow_exception(failure);
  return form.ModalResult();
}

// Qt cannot carry an exception out of exec(), so one from the form's
// OnClose is kept in failure for RunModal to rethrow.
void QtDialogs::RunFormDialog(toolkit::Form& form, std::exception_ptr& failure) {
  QDialog dialog(parent_);
  dialog.setWindowTitle(FromUtf8(form.Caption()));
  auto* layout = new QVBoxLayout(&dialog);
  layout->setContentsMargins(0, 0, 0, 0);
  QPointer<QWidget> view = renderForm_ ? renderForm_(form, &dialog) : nullptr;
  if (view) layout->addWidget(view);
  // The form's size, or more where its view needs it on this screen (a
  // menu, widened captions).
  QSize size(form.Width(), form.Height());
  if (view) size = size.expandedTo(view->sizeHint());
  if (size.width() > 0 && size.height() > 0) dialog.resize(size);

  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &dialog, [&] {
    if (!form.Modal()) dialog.done(form.ModalResult());
  });
  QObject::connect(&dialog, &QDialog::finished, &dialog, [&] {
    if (!form.Modal()) return;
    try {
      form.Close();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  poll.start(kModalPollMs);
  // A form whose OnClose refuses keeps its window: the dialog comes back.
  while (form.Modal() && !failure) dialog.exec();
  delete view.data();
}

void QtDialogs::ShowReport(const toolkit::ReportDocument& report, toolkit::ReportAction action) {
  HideWait();
  ReportView(report).Run(action, parent_);
}

}  // namespace desktop
