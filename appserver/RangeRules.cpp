#include "appserver/RangeRules.h"

#include <algorithm>

#include "appserver/Replies.h"

namespace appserver {

namespace {

bool Holds(PaxRange r, double pax) { return r.from <= pax && pax <= r.to; }

}  // namespace

int CollisionCode(const std::vector<PaxRange>& stored, PaxRange candidate) {
  int code = 0;
  for (const PaxRange& r : stored) {
    if (r.from == candidate.from && r.to == candidate.to) continue;
    // The lowest code wins: holding the lower bound outranks the rest.
    int c = 0;
    if (Holds(r, candidate.from))
      c = 1;
    else if (Holds(r, candidate.to))
      c = 2;
    else if (candidate.from <= r.from && r.to <= candidate.to)
      c = 3;
    if (c != 0 && (code == 0 || c < code)) code = c;
  }
  return code;
}

std::optional<std::pair<PaxRange, PaxRange>> FindOverlap(std::vector<PaxRange> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](PaxRange a, PaxRange b) { return a.from < b.from || (a.from == b.from && a.to < b.to); });
  // Sorted by lower bound, a range overlaps some earlier one exactly when it
  // starts at or before the highest upper bound seen so far.
  for (std::size_t i = 1, widest = 0; i < ranges.size(); ++i) {
    if (ranges[i].from <= ranges[widest].to) return std::make_pair(ranges[widest], ranges[i]);
    if (ranges[i].to > ranges[widest].to) widest = i;
  }
  return std::nullopt;
}

std::optional<std::string> BoundsProblem(std::optional<double> from, std::optional<double> to,
                                         std::optional<double> quantity) {
  if (!from) return "Quantidade mínima de passageiros deve ser informada.";
  if (!to) return "Pax máximo deve ser informado.";
  if (*from < 1) {
    return "A quantidade mínima de passageiros deve ser de pelo menos 1 (informado: " + NumberText(*from) + ").";
  }
  if (*from > *to) return "A quantidade máxima de passageiros não pode ser menor que quantidade mínima.";
  if (*to > kMaxPax) {
    return "A quantidade máxima de passageiros não pode passar de 9999 (informado: " + NumberText(*to) + ").";
  }
  if (quantity && *quantity < 0) return "A quantidade de serviço não pode ser negativa.";
  return std::nullopt;
}

}  // namespace appserver
