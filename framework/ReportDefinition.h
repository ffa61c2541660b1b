#pragma once
// A report definition, reports/<code>.json: the parameters the report
// declares, a header query (one row: the context printed on top) and a
// body query whose rows are printed in blocks, one per value of the group
// field, each block headed by its group fields and listing its columns.
#include <filesystem>
#include <string>
#include <vector>

namespace framework {

struct ReportColumn {
  std::string label;
  std::string field;
};

struct ReportDefinition {
  std::string title;
  std::vector<std::string> parameters;
  std::vector<std::string> headerSql;
  std::vector<ReportColumn> headerFields;
  std::vector<std::string> bodySql;
  std::string groupBy;
  std::vector<ReportColumn> groupFields;
  std::vector<ReportColumn> columns;
  // Printed instead of the blocks when the body query has no row.
  std::string emptyText = "Nenhuma proporção cadastrada.";
};

// The folder of the definitions: $ATE_REPORTS when set, else reports/
// beside the program's bin/ folder when it exists, else ./reports.
std::filesystem::path ReportsDirectory();

// Reads and checks a definition; the body's "empty" text is optional.
// Throws std::runtime_error naming the file
// when it is missing, is not JSON, or lacks a part or has one of the wrong
// kind.
ReportDefinition LoadReportDefinition(const std::filesystem::path& file);

}  // namespace framework
