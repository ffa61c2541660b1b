#include "toolkit/controls/RangeSegments.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "toolkit/data/FloatText.h"

namespace toolkit {

namespace {

// A row that covers something, in whole passengers.
struct Span {
  int from, to;
  std::optional<double> quantity;
};

int Whole(double value) {
  // Far beyond any seat count; keeps the conversion defined.
  return static_cast<int>(std::nearbyint(std::clamp(value, -1e6, 1e6)));
}

std::vector<Span> Spans(const std::vector<RangeRow>& rows) {
  std::vector<Span> spans;
  for (const RangeRow& row : rows) {
    if (!row.from || !row.to || !std::isfinite(*row.from) || !std::isfinite(*row.to)) continue;
    const int from = std::max(1, Whole(*row.from));
    const int to = Whole(*row.to);
    if (to >= from) spans.push_back({from, to, row.quantity});
  }
  return spans;
}

// Where coverage may change: every lower bound, every count after an upper
// bound, and the two ends of the bar.
std::vector<int> Cuts(const std::vector<Span>& spans, int end) {
  std::vector<int> cuts{1};
  if (end >= 1) cuts.push_back(end + 1);
  for (const Span& s : spans) {
    cuts.push_back(s.from);
    cuts.push_back(s.to + 1);
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

}  // namespace

std::vector<RangeSegment> RangeSegments(const std::vector<RangeRow>& rows, std::optional<int> seats) {
  if (seats && *seats < 1)
    throw std::invalid_argument("RangeSegments: seats must be at least 1, not " + std::to_string(*seats));
  const std::vector<Span> spans = Spans(rows);
  int end = seats.value_or(0);
  if (!seats)
    for (const Span& s : spans) end = std::max(end, s.to);
  if (end < 1 && spans.empty()) return {};
  const std::vector<int> cuts = Cuts(spans, end);
  std::vector<RangeSegment> segments;
  int lastOwner = -1;  // the row of the last segment, when it is a range
  for (std::size_t c = 0; c + 1 < cuts.size(); ++c) {
    const int from = cuts[c], to = cuts[c + 1] - 1;
    int owner = -1, covering = 0;
    for (std::size_t i = 0; i < spans.size(); ++i)
      if (spans[i].from <= from && from <= spans[i].to) {
        owner = static_cast<int>(i);
        ++covering;
      }
    if (covering == 0 && from > end) continue;
    const SegmentKind kind =
        covering == 0 ? SegmentKind::Hole : covering == 1 ? SegmentKind::Range : SegmentKind::Overlap;
    const bool joins = !segments.empty() && segments.back().to + 1 == from && segments.back().kind == kind &&
                       (kind != SegmentKind::Range || owner == lastOwner);
    if (joins) {
      segments.back().to = to;
    } else {
      segments.push_back({from, to, kind, kind == SegmentKind::Range ? spans[owner].quantity : std::nullopt});
    }
    lastOwner = kind == SegmentKind::Range ? owner : -1;
  }
  return segments;
}

std::string SegmentsText(const std::vector<RangeSegment>& segments) {
  std::string text;
  for (const RangeSegment& s : segments) {
    if (!text.empty()) text += ' ';
    text += std::to_string(s.from) + '-' + std::to_string(s.to) + ':';
    switch (s.kind) {
      case SegmentKind::Hole: text += '-'; break;
      case SegmentKind::Overlap: text += '!'; break;
      case SegmentKind::Range: text += s.quantity ? FloatToText(*s.quantity) : std::string("?"); break;
    }
  }
  return text;
}

}  // namespace toolkit
