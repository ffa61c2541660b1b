#include <algorithm>

#include "packet/ChangeLog.h"
#include "screen/RestorePlan.h"
#include "toolkit/data/FloatText.h"

namespace screen_tools {

namespace {

bool SameCode(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  const auto blank = [](const std::optional<std::string>& s) {
    return !s || s->find_first_not_of(' ') == std::string::npos;
  };
  if (blank(a) || blank(b)) return blank(a) && blank(b);
  return *a == *b;
}

bool SameBounds(const StoredRange& a, const StoredRange& b) { return a.from == b.from && a.to == b.to; }

std::vector<StoredRange>::iterator Find(std::vector<StoredRange>& ranges, const StoredRange& r) {
  return std::find_if(ranges.begin(), ranges.end(), [&](const StoredRange& s) { return SameBounds(s, r); });
}

// The range the step left must be there exactly as it left it.
std::vector<StoredRange>::iterator Left(std::vector<StoredRange>& ranges, const StoredRange& r) {
  auto it = Find(ranges, r);
  if (it == ranges.end() || !SameRange(*it, r))
    throw RestoreMismatch("a faixa de " + RangeText(r) + " passageiros não está como o histórico a deixou");
  return it;
}

packet::Record Record(const ServiceRef& s, const StoredRange& r) {
  const auto text = [](const std::optional<std::string>& v) { return v ? packet::Value(*v) : packet::Value(); };
  return {{"CDFILIAL", s.branch},
          {"CDCIA", s.airline},
          {"NRVOO", s.flight},
          {"CDTRECHO", s.leg},
          {"CDSERVICO", s.service},
          {"QTPAXDE", r.from},
          {"QTPAXATE", r.to},
          {"CDCLASSE", text(r.serviceClass)},
          {"CDCICLO", text(r.cycle)},
          {"QTSERVICO", r.quantity ? packet::Value(*r.quantity) : packet::Value()}};
}

}  // namespace

std::string RangeText(const std::optional<StoredRange>& r) {
  return r ? toolkit::FloatToText(r->from) + " a " + toolkit::FloatToText(r->to) : "";
}

std::string QuantityText(const std::optional<StoredRange>& r) {
  return r && r->quantity ? toolkit::FloatToText(*r->quantity) : "";
}

std::string ClassCycleText(const std::optional<StoredRange>& r) {
  if (!r) return "";
  return r->serviceClass.value_or("") + " / " + r->cycle.value_or("");
}

bool SameRange(const StoredRange& a, const StoredRange& b) {
  return SameBounds(a, b) && SameCode(a.serviceClass, b.serviceClass) && SameCode(a.cycle, b.cycle) &&
         a.quantity == b.quantity;
}

std::vector<StoredRange> RangesBefore(std::vector<StoredRange> ranges, const std::vector<RangeLogStep>& newestFirst) {
  for (const RangeLogStep& step : newestFirst) {
    if (step.after) ranges.erase(Left(ranges, *step.after));
    if (step.before) {
      if (Find(ranges, *step.before) != ranges.end())
        throw RestoreMismatch("a faixa de " + RangeText(step.before) +
                              " passageiros existe, mas o histórico diz que foi incluída depois");
      ranges.push_back(*step.before);
    }
  }
  std::sort(ranges.begin(), ranges.end(), [](const StoredRange& a, const StoredRange& b) {
    return a.from != b.from ? a.from < b.from : a.to < b.to;
  });
  return ranges;
}

RestorePlan PlanRestore(const std::vector<StoredRange>& current, const std::vector<StoredRange>& target) {
  RestorePlan plan;
  std::vector<StoredRange> wanted = target;
  for (const StoredRange& now : current) {
    auto it = Find(wanted, now);
    if (it == wanted.end()) {
      plan.remove.push_back(now);
      continue;
    }
    if (!SameRange(now, *it)) plan.change.push_back({now, *it});
    wanted.erase(it);
  }
  plan.insert = std::move(wanted);
  return plan;
}

std::string RestoreChangeLog(const ServiceRef& service, const RestorePlan& plan) {
  packet::ChangeLog log;
  for (const StoredRange& r : plan.remove) log.changes.push_back({packet::ChangeOp::Delete, Record(service, r), {}});
  for (const RestorePlan::Change& c : plan.change)
    log.changes.push_back({packet::ChangeOp::Modify, Record(service, c.before), Record(service, c.after)});
  for (const StoredRange& r : plan.insert) log.changes.push_back({packet::ChangeOp::Insert, {}, Record(service, r)});
  return packet::EncodeChangeLog(log);
}

}  // namespace screen_tools
