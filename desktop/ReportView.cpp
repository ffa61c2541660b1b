#include "desktop/ReportView.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace desktop {

ReportView::ReportView(const toolkit::ReportDocument& report)
    : title_(QString::fromStdString(report.title)) {
  document_.setHtml(QString::fromStdString(report.html));
  // After the HTML, which resets it (or sets its own from <title>).
  document_.setMetaInformation(QTextDocument::DocumentTitle, title_);
}

void ReportView::Run(toolkit::ReportAction action, QWidget* parent) {
  if (action == toolkit::ReportAction::Preview)
    Preview(parent);
  else
    Print(parent);
}

void ReportView::Preview(QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog dialog(&printer, parent);
  dialog.setWindowTitle(title_);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [this](QPrinter* p) { PrintTo(*p); });
  // A page read across, not a stamp in the middle of the window.
  if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) pages->fitToWidth();
  dialog.resize(900, 700);
  dialog.exec();
}

void ReportView::Print(QWidget* parent) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(title_);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void ReportView::PrintTo(QPrinter& printer) {
  printer.setDocName(title_);
  document_.print(&printer);
}

}  // namespace desktop
