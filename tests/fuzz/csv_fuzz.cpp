// appserver::ReadCsv on any bytes, with the ranges file's header and small
// limits, then the import's line checks over what it read.
//
// Checks: a refusal names a line of the text (or none); rows come in
// strictly increasing lines after the header's, at most the limit; written
// back with every field quoted, the rows read again as the same fields;
// every line checked is either a sound range or refused, never both.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "appserver/CsvReader.h"
#include "appserver/ImportLines.h"
#include "fuzz_check.h"

namespace {

using appserver::CsvRow;

constexpr appserver::CsvLimits kLimits{4096, 40};

std::size_t Lines(std::string_view text) {
  std::size_t n = 1;
  for (const char c : text) n += c == '\n';
  return n;
}

std::string Quoted(const std::string& field) {
  std::string out = "\"";
  for (const char c : field) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Written(const std::vector<CsvRow>& rows) {
  std::string text;
  for (const std::string& title : appserver::ImportHeader()) text += title + ";";
  text.back() = '\n';
  for (const CsvRow& row : rows) {
    for (const std::string& field : row.fields) text += Quoted(field) + ";";
    text.back() = '\n';
  }
  return text;
}

const appserver::ImportReferences& References() {
  static const appserver::ImportReferences refs = [] {
    appserver::ImportReferences r;
    r.branch = "0001";
    r.airline = "0101";
    r.airlineShort = "XY";
    r.legs = {{"1234", "01"}, {"0500", "01"}};
    r.services = {{"01.01.001", {"S1", "0001", "0001"}}, {"01.01.002", {"S2", std::nullopt, std::nullopt}}};
    r.classes = {{"ECO", "0001"}};
    r.cycles = {{"PADRAO", "0001"}};
    return r;
  }();
  return refs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<CsvRow> rows;
  try {
    rows = appserver::ReadCsv(text, appserver::ImportHeader(), kLimits);
  } catch (const appserver::CsvError& e) {
    FUZZ_CHECK(e.Line() <= Lines(text));
    FUZZ_CHECK(std::string_view(e.what()).size() > 0);
    return 0;
  }
  FUZZ_CHECK(rows.size() <= kLimits.maxRows);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    FUZZ_CHECK(rows[i].line >= 2 && rows[i].line <= Lines(text));
    if (i) FUZZ_CHECK(rows[i].line > rows[i - 1].line);
  }
  const std::string again = Written(rows);
  if (again.size() <= kLimits.maxBytes) {
    const std::vector<CsvRow> reread = appserver::ReadCsv(again, appserver::ImportHeader(), kLimits);
    FUZZ_CHECK(reread.size() == rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) FUZZ_CHECK(reread[i].fields == rows[i].fields);
  }
  const appserver::CheckedLines checked = appserver::CheckImportLines(rows, References());
  FUZZ_CHECK(checked.good.size() + checked.bad.size() == rows.size());
  for (const appserver::ImportLine& l : checked.good)
    FUZZ_CHECK(*l.row.de >= 1 && *l.row.de <= *l.row.ate && *l.row.ate <= 9999);
  return 0;
}
