#include "Ledger.h"

#include <cstdio>
#include <stdexcept>

namespace soak {

namespace {

constexpr std::size_t kMaxProblems = 10;

void Note(Tally& t, std::string text) {
  if (t.problems.size() < kMaxProblems) t.problems.push_back(std::move(text));
}

// How many of the save's three ranges the map holds, taking them out of it.
int TakeRanges(std::map<std::string, int>& stored, const LegService& key, int firstPax) {
  int found = 0;
  for (int pax = firstPax; pax < firstPax + 3; ++pax) {
    const auto it = stored.find(PaxKey(key, pax));
    if (it == stored.end()) continue;
    found += it->second;
    stored.erase(it);
  }
  return found;
}

}  // namespace

SaveSlot SlotOf(int save) {
  if (save < 0) throw std::out_of_range("negative save number");
  return {static_cast<std::size_t>(save / kSavesPerKey), 3 * (save % kSavesPerKey) + 1};
}

std::string SaveLogJson(const std::vector<LegService>& keys, int save) {
  const SaveSlot slot = SlotOf(save);
  std::vector<RangeChange> changes;
  for (int pax = slot.firstPax; pax < slot.firstPax + 3; ++pax) {
    const double p = pax;
    changes.push_back({RangeChange::Op::Insert, std::nullopt, Range{p, p, static_cast<double>(1 + save % 7)}});
  }
  return ChangeLogJson(keys.at(slot.key), changes);
}

std::string PaxKey(const LegService& key, double pax) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "|%.17g", pax);
  return key.Name() + buf;
}

void Tally::Add(const Tally& o) {
  acked += o.acked;
  inFlightStored += o.inFlightStored;
  inFlightNotStored += o.inFlightNotStored;
  lost += o.lost;
  halfApplied += o.halfApplied;
  logMismatch += o.logMismatch;
  unexplained += o.unexplained;
  for (const std::string& p : o.problems) Note(*this, p);
}

Tally Judge(const ClientLedger& client, Stored stored) {
  Tally t;
  for (int n = 0; n < static_cast<int>(client.saves.size()); ++n) {
    const SaveSlot slot = SlotOf(n);
    const LegService& key = client.keys.at(slot.key);
    const int rows = TakeRanges(stored.rows, key, slot.firstPax);
    const int logs = TakeRanges(stored.logs, key, slot.firstPax);
    const std::string what = client.user + " save " + std::to_string(n) + " (" + key.Name() + ")";
    if (rows != 0 && rows != 3) {
      ++t.halfApplied;
      Note(t, what + ": " + std::to_string(rows) + " of its 3 rows stored");
    }
    if (logs != rows) {
      ++t.logMismatch;
      Note(t, what + ": " + std::to_string(rows) + " rows stored but " + std::to_string(logs) + " log rows");
    }
    if (client.saves[n] == Outcome::Acked) {
      ++t.acked;
      if (rows != 3) {
        ++t.lost;
        Note(t, what + ": acknowledged, but " + std::to_string(rows) + " of its 3 rows stored");
      }
    } else if (rows == 3) {
      ++t.inFlightStored;
    } else if (rows == 0) {
      ++t.inFlightNotStored;
    }
  }
  for (const auto* left : {&stored.rows, &stored.logs}) {
    for (const auto& [where, count] : *left) {
      t.unexplained += count;
      Note(t, client.user + ": " + (left == &stored.rows ? "row " : "log row ") + where + " belongs to no save");
    }
  }
  return t;
}

}  // namespace soak
