#include "desktop/ReportPdf.h"

#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <stdexcept>

namespace desktop {

void WriteReportPdf(const toolkit::ReportDocument& report, const std::filesystem::path& file) {
  const QString title = QString::fromStdString(report.title);
  {
    QPdfWriter writer(QString::fromStdString(file.string()));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setTitle(title);
    writer.setCreator("ate-host");
    QTextDocument document;
    document.setHtml(QString::fromStdString(report.html));
    document.setMetaInformation(QTextDocument::DocumentTitle, title);
    // Unpaginated, so print() breaks it into pages and numbers them.
    document.print(&writer);
  }
  std::error_code error;
  if (!std::filesystem::exists(file, error) || std::filesystem::file_size(file, error) == 0)
    throw std::runtime_error("O relatório não pôde ser gravado em " + file.string());
}

}  // namespace desktop
