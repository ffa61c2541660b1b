#pragma once
// The legs a copy may go to and the ones the user marked, apart from any
// form: the airline's legs less the source, a text that filters what is
// listed, and marks that outlive the filter.
#include <set>
#include <string>
#include <vector>

namespace screen_tools {

struct LegChoice {
  std::string flight, leg;  // NRVOO, CDTRECHO
  std::string text;         // DSTRECHO
  std::string equipment;    // SGEQUIP
  // "1110/01", as the copy names its targets.
  std::string Key() const { return flight + "/" + leg; }
};

class CopyTargets {
 public:
  // Every leg but the source, in the order given.
  void Reset(std::vector<LegChoice> legs, const std::string& sourceKey);
  // Legs whose flight, leg code or description hold every word of the text
  // (case ignored); all for a blank text.
  std::vector<const LegChoice*> Listed(const std::string& filter) const;

  bool Marked(const LegChoice& leg) const { return marked_.count(leg.Key()) > 0; }
  void Toggle(const LegChoice& leg);
  // Marks every leg of that flight.
  void MarkFlight(const std::string& flight);
  void Clear() { marked_.clear(); }
  std::size_t MarkedCount() const { return marked_.size(); }
  // The marked legs as the copy takes them: "1110/01;1124/01", sorted.
  std::string TargetList() const;

 private:
  std::vector<LegChoice> legs_;
  std::set<std::string> marked_;
};

}  // namespace screen_tools
