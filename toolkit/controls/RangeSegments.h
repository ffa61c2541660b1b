#pragma once
// The picture of one service's passenger ranges along the passenger
// counts: the stretch each range covers, the holes no range covers and the
// stretches two ranges both claim. A pure function of the rows and the
// seats, so that the range bar's painter and the scenario checks read the
// same thing.
#include <optional>
#include <string>
#include <vector>

namespace toolkit {

// One range row as it stands, possibly half typed: any value may be missing.
struct RangeRow {
  std::optional<double> from, to, quantity;
};

enum class SegmentKind { Range, Hole, Overlap };

struct RangeSegment {
  int from = 0;  // passenger counts, both included
  int to = 0;
  SegmentKind kind = SegmentKind::Range;
  std::optional<double> quantity;  // of a range; nothing while it is not typed yet
  bool operator==(const RangeSegment&) const = default;
};

// The segments in passenger order, from 1 to the bar's end: the seats when
// known, else the highest upper bound.
// - Bounds count as whole passengers (rounded, ties to even); a lower bound
//   below 1 counts from 1.
// - A row without both bounds, or whose upper bound lies below its lower
//   bound, covers nothing yet: it is being typed.
// - Counts up to the end that no row covers are holes; counts that two rows
//   or more cover are overlaps (the screen refuses those when a row is
//   posted, the bar shows them while it is typed).
// - A range reaching beyond the end is shown as it is; beyond the end,
//   uncovered counts are no holes.
// Throws std::invalid_argument for seats below 1.
std::vector<RangeSegment> RangeSegments(const std::vector<RangeRow>& rows, std::optional<int> seats);

// The text form, one "from-to:quantity" a segment joined by blanks:
// "1-20:2 21-50:4 51-60:- 61-220:6". A hole shows "-", an overlap "!", a
// range whose quantity is not typed yet "?"; quantities as the grid shows
// them (decimal comma).
std::string SegmentsText(const std::vector<RangeSegment>& segments);

}  // namespace toolkit
