#pragma once
// The soak clients' saves: a client's key goes round three states, no
// range, three ranges, the same with the middle quantity changed. Each save
// moves it on by one, with an insert, a modify or a delete log, so that the
// data stay small however long the run.

#include <string>
#include <vector>

#include "ChangeLogs.h"

namespace soak {

inline constexpr int kUnknownState = -1;

// 0, 1 or 2 for the ranges of a key (in QTPAXDE order), kUnknownState for
// any other set.
int StateOf(const std::vector<Range>& ranges);

struct Step {
  std::vector<RangeChange> changes;
  int next = 0;
};

// The save that moves a key on from state (0, 1 or 2); throws
// std::invalid_argument for another.
Step StepFrom(int state);

// " [1..100 x1] ...", or " none".
std::string RangesText(const std::vector<Range>& ranges);

}  // namespace soak
