#pragma once
// The rules on the passenger ranges of one service, apart from storage.
// A range covers QTPAXDE to QTPAXATE passengers, both included.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace appserver {

struct PaxRange {
  double from = 0;
  double to = 0;
};

inline constexpr double kMaxPax = 9999;

// How a candidate range collides with the stored ranges of its service,
// ranges with exactly its bounds left aside: 1 when one holds its lower
// bound, else 2 when one holds its upper bound, else 3 when one lies inside
// it; 0 when none collides.
int CollisionCode(const std::vector<PaxRange>& stored, PaxRange candidate);

// Two ranges of the list that share a passenger count, if any (the first
// such pair in order of lower bound).
std::optional<std::pair<PaxRange, PaxRange>> FindOverlap(std::vector<PaxRange> ranges);

// Why a range to be stored breaks the bounds (lower bound from 1, lower not
// above upper, upper at most 9999, no negative quantity), as the text shown
// to the user; empty when it is sound. A null bound is missing.
std::optional<std::string> BoundsProblem(std::optional<double> from, std::optional<double> to,
                                         std::optional<double> quantity);

}  // namespace appserver
