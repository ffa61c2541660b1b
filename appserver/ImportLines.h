#pragma once
// The lines of an imported ranges file checked against the airline's
// codes at the branch, apart from storage: each line becomes a range to
// store or is refused with its reason (in Portuguese).
//
// A line holds, in this order: CDFILIAL, SGCIA, NRVOO, CDTRECHO, CDARVPROD
// (a service of the airline), SGCLASSE and IDCICLO (blank: the service's
// own), QTPAXDE, QTPAXATE and QTSERVICO (numbers with a decimal comma;
// bounds whole; a blank quantity is none). Codes made of digits match
// regardless of leading zeros, which spreadsheets drop. A line is refused
// for the first of: its column count, another branch or airline, a leg,
// service, class or cycle not known, a bound or quantity that is not a
// number, bounds outside 1..9999 or out of order, a quantity outside
// 0..kMaxQuantity, the same range as an earlier line of its leg and service,
// or a range overlapping an earlier line's (both lines named).

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "appserver/ChangeRecords.h"
#include "appserver/CsvReader.h"

namespace appserver {

// The titles of the file's columns, in order.
const std::vector<std::string>& ImportHeader();

struct LegCode {
  std::string flight, leg;
  auto operator<=>(const LegCode&) const = default;
};

// What the lines are checked against; codes as stored.
struct ImportReferences {
  struct Service {
    std::string code;  // CDPRODUTO
    std::optional<std::string> classe, ciclo;
  };
  std::string branch, airline, airlineShort;   // CDFILIAL, CDCIA, SGCIA
  std::set<LegCode> legs;                      // the airline's at the branch
  std::map<std::string, Service> services;     // by CDARVPROD
  std::map<std::string, std::string> classes;  // CDCLASSE by SGCLASSE in upper case
  std::map<std::string, std::string> cycles;   // CDCICLO by IDCICLO in upper case
};

struct ImportLine {
  std::size_t line = 0;
  PropRow row;       // class and cycle filled in from the service when blank
  std::string tree;  // the line's CDARVPROD
};

struct RefusedLine {
  std::size_t line = 0;
  std::string flight, leg;  // as read
  std::string why;
};

struct CheckedLines {
  std::vector<ImportLine> good;  // in the file's order
  std::vector<RefusedLine> bad;  // in the file's order
};

CheckedLines CheckImportLines(const std::vector<CsvRow>& rows, const ImportReferences& refs);

// "de 1 a 20 passageiros do serviço 01.01.001"
std::string RangeOfService(const PropRow& row, const std::string& tree);

}  // namespace appserver
