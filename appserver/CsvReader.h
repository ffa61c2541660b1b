#pragma once
// A strict reader of the CSV files caterers edit in spreadsheets: UTF-8
// (an optional byte-order mark is skipped), lines ending in CRLF or LF,
// fields separated by ';', quoted with '"' when they hold a ';', a quote or
// a line break (a quote inside doubled), unquoted fields trimmed of blanks.
//
// ReadCsv checks the first row against the expected header (titles compared
// ignoring case, accented letters included, and surrounding blanks) and
// answers every later row with the 1-based line it starts on (a quoted
// field may span lines). Lines holding only blanks are skipped. The number
// of fields of a row is not checked: that is the caller's per-line matter.
//
// The whole text is refused with CsvError, whose message is in Portuguese
// for the user and names the line, when it is not such a file: longer than
// limits.maxBytes, more data rows than limits.maxRows, not UTF-8 (or holding
// U+FFFD, what a conversion leaves of bytes that were not), a NUL
// anywhere or another control byte outside quotes (a tab is let through on
// the header line only, so that a tab-separated file is told about its
// separator), a quote out of place or never closed, no row at all, or a
// header that differs (one separated by ',' or tabs is told the separator
// must be ';').

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace appserver {

struct CsvRow {
  std::size_t line = 0;
  std::vector<std::string> fields;
};

struct CsvLimits {
  std::size_t maxBytes = std::size_t{16} << 20;
  std::size_t maxRows = 100000;
};

class CsvError : public std::runtime_error {
 public:
  // line 0: the file as a whole.
  CsvError(std::size_t line, const std::string& message) : std::runtime_error(message), line_(line) {}
  std::size_t Line() const { return line_; }

 private:
  std::size_t line_;
};

std::vector<CsvRow> ReadCsv(std::string_view text, const std::vector<std::string>& header,
                            const CsvLimits& limits = {});

}  // namespace appserver
