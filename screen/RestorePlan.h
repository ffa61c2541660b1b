#pragma once
// What a restore of a service's ranges changes: the ranges as they were
// just before a logged change, found by undoing the service's log from
// the newest row down to that one, and the change log that takes the
// stored ranges there.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace screen_tools {

// One range as PROPSERVICO stores it, the service's key aside.
struct StoredRange {
  double from = 0, to = 0;  // QTPAXDE, QTPAXATE
  std::optional<std::string> serviceClass, cycle;
  std::optional<double> quantity;
};

// The same values, a blank code being the same as none.
bool SameRange(const StoredRange& a, const StoredRange& b);

// A range's values as the tools show them ("21 a 50", "4", "0001 / 0001");
// "" for none.
std::string RangeText(const std::optional<StoredRange>& r);
std::string QuantityText(const std::optional<StoredRange>& r);
std::string ClassCycleText(const std::optional<StoredRange>& r);

// One PROPSERVICO_LOG row of the service: IDOPERACAO 'I' (after only),
// 'A' (both), 'E' (before only).
struct RangeLogStep {
  double id = 0;
  char op = 'I';
  std::optional<StoredRange> before, after;
};

// The ranges do not hold what the log says a change left there: they
// were changed by something that does not write the log.
class RestoreMismatch : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// current with every step undone, newest first (steps must be in that
// order, down to and including the change to go back before). Throws
// RestoreMismatch when a step finds the ranges other than it left them.
std::vector<StoredRange> RangesBefore(std::vector<StoredRange> current, const std::vector<RangeLogStep>& newestFirst);

struct ServiceRef {
  std::string branch, airline, flight, leg, service;  // CDFILIAL .. CDSERVICO
};

struct RestorePlan {
  std::vector<StoredRange> remove, insert;
  struct Change {
    StoredRange before, after;
  };
  std::vector<Change> change;  // same bounds, other values
  bool Empty() const { return remove.empty() && insert.empty() && change.empty(); }
};

// What turns current into target, range by range (ranges are matched by
// their bounds), in the order removes, changes, inserts.
RestorePlan PlanRestore(const std::vector<StoredRange>& current, const std::vector<StoredRange>& target);

// The plan as the change log SetQtdePropServico takes: every old record
// holds the values read, so that a range changed since is a conflict.
std::string RestoreChangeLog(const ServiceRef& service, const RestorePlan& plan);

}  // namespace screen_tools
