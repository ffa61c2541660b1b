#pragma once
// The laid-out text of a report as HTML for the desktop's printer: the
// title, the print date, the header query's first row, then one block per
// group of the body's rows with its columns. Values are escaped.
#include <string>

#include "framework/ReportDefinition.h"
#include "toolkit/data/DataSet.h"

namespace framework {

// Reads both datasets from their first row; the body's cursor ends after
// its last row. printedAt is shown as given.
std::string ReportHtml(const ReportDefinition& def, toolkit::DataSet& header, toolkit::DataSet& body,
                       const std::string& printedAt);

// Escapes &, <, > and " for HTML text and attributes.
std::string HtmlEscape(const std::string& text);

}  // namespace framework
