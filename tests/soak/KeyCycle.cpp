#include "KeyCycle.h"

#include <algorithm>
#include <stdexcept>

namespace soak {

namespace {

const std::vector<Range> kInserted{{1, 100, 1}, {101, 200, 2}, {201, 9999, 3}};
const std::vector<Range> kModified{{1, 100, 1}, {101, 200, 5}, {201, 9999, 3}};

bool SameRanges(const std::vector<Range>& a, const std::vector<Range>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Range& x, const Range& y) {
    return x.from == y.from && x.to == y.to && x.qty == y.qty;
  });
}

}  // namespace

int StateOf(const std::vector<Range>& ranges) {
  if (ranges.empty()) return 0;
  if (SameRanges(ranges, kInserted)) return 1;
  if (SameRanges(ranges, kModified)) return 2;
  return kUnknownState;
}

Step StepFrom(int state) {
  using Op = RangeChange::Op;
  Step s;
  if (state == 0) {
    for (const Range& r : kInserted) s.changes.push_back({Op::Insert, std::nullopt, r});
    s.next = 1;
  } else if (state == 1) {
    s.changes.push_back({Op::Modify, kInserted[1], kModified[1]});
    s.next = 2;
  } else if (state == 2) {
    for (const Range& r : kModified) s.changes.push_back({Op::Delete, r, std::nullopt});
    s.next = 0;
  } else {
    throw std::invalid_argument("no save leaves a key in state " + std::to_string(state));
  }
  return s;
}

std::string RangesText(const std::vector<Range>& ranges) {
  std::string text;
  for (const Range& r : ranges)
    text += " [" + std::to_string(r.from) + ".." + std::to_string(r.to) + " x" + std::to_string(r.qty) + "]";
  return text.empty() ? " none" : text;
}

}  // namespace soak
