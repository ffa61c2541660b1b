#pragma once
// A laid-out report written as a PDF file (A4), with page numbers, as the
// printer would print it. Needs a QGuiApplication.
#include <filesystem>

#include "toolkit/controls/DialogService.h"

namespace desktop {

// Throws std::runtime_error naming the file when it cannot be written.
void WriteReportPdf(const toolkit::ReportDocument& report, const std::filesystem::path& file);

}  // namespace desktop
