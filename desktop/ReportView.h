#pragma once
// Shows a laid-out report: a print preview, or the print dialog and then
// the printer. The report's HTML is laid out once, in a QTextDocument.

#include <QString>
#include <QTextDocument>

#include "toolkit/controls/DialogService.h"

class QPrinter;
class QWidget;

namespace desktop {

class ReportView {
 public:
  explicit ReportView(const toolkit::ReportDocument& report);

  // Runs the preview or the print dialog modally over parent (may be null);
  // printing is skipped when the person cancels the print dialog.
  void Run(toolkit::ReportAction action, QWidget* parent);
  void Preview(QWidget* parent);
  void Print(QWidget* parent);

  // Prints the document, titled, to an already set up printer.
  void PrintTo(QPrinter& printer);

  const QTextDocument& Document() const { return document_; }
  const QString& Title() const { return title_; }

 private:
  QString title_;
  QTextDocument document_;
};

}  // namespace desktop
