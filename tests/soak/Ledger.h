#pragma once
// The crash phase's bookkeeping: which saves each client sent, which the
// server acknowledged, and the verdict on what the database holds for them.

#include <map>
#include <string>
#include <vector>

#include "ChangeLogs.h"

namespace soak {

// Save n of a client inserts three one-passenger ranges, m+1 to m+3 with
// m = 3 (n mod kSavesPerKey), on key n / kSavesPerKey of its own keys: the
// keys of different clients are disjoint, so no save conflicts with another.
inline constexpr int kSavesPerKey = 3333;  // 3 * 3332 + 3 = 9999 passengers

struct SaveSlot {
  std::size_t key = 0;
  int firstPax = 1;
};
SaveSlot SlotOf(int save);

// The change log of save n on keys (throws std::out_of_range past the last key).
std::string SaveLogJson(const std::vector<LegService>& keys, int save);

enum class Outcome : char { InFlight, Acked };

struct ClientLedger {
  std::string user;               // the name it connects with; its log rows carry it
  std::vector<LegService> keys;
  std::vector<Outcome> saves;     // by save number: every save sent
};

// "key name|pax": one one-passenger range.
std::string PaxKey(const LegService& key, double pax);

// What the database holds of one client: its rows by PaxKey on its keys,
// and the rows of the log table under its user, by PaxKey of their new
// values (a log row that is no insert under "?" plus its IDLOG).
struct Stored {
  std::map<std::string, int> rows, logs;
};

struct Tally {
  int acked = 0;
  int inFlightStored = 0, inFlightNotStored = 0;
  int lost = 0;         // acknowledged, not (wholly) stored
  int halfApplied = 0;  // some of a save's rows stored, not all
  int logMismatch = 0;  // log rows disagree with the stored rows of a save
  int unexplained = 0;  // rows or log rows that no save of the client accounts for
  std::vector<std::string> problems;  // the first few, in words

  void Add(const Tally& other);
  bool Sound() const { return lost == 0 && halfApplied == 0 && logMismatch == 0 && unexplained == 0; }
};

// Compares the saves of one client with what is stored for it.
Tally Judge(const ClientLedger& client, Stored stored);

}  // namespace soak
