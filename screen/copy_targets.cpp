#include "screen/CopyTargets.h"

#include <sstream>

namespace screen_tools {

namespace {

// ASCII letters only: accents stay as typed, which is how they are stored.
std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

void CopyTargets::Reset(std::vector<LegChoice> legs, const std::string& sourceKey) {
  legs_.clear();
  marked_.clear();
  for (LegChoice& leg : legs)
    if (leg.Key() != sourceKey) legs_.push_back(std::move(leg));
}

std::vector<const LegChoice*> CopyTargets::Listed(const std::string& filter) const {
  std::vector<std::string> words;
  std::istringstream in(Lower(filter));
  for (std::string w; in >> w;) words.push_back(w);
  std::vector<const LegChoice*> listed;
  for (const LegChoice& leg : legs_) {
    const std::string haystack = Lower(leg.Key() + " " + leg.text + " " + leg.equipment);
    bool all = true;
    for (const std::string& w : words) all = all && haystack.find(w) != std::string::npos;
    if (all) listed.push_back(&leg);
  }
  return listed;
}

void CopyTargets::Toggle(const LegChoice& leg) {
  if (!marked_.erase(leg.Key())) marked_.insert(leg.Key());
}

void CopyTargets::MarkFlight(const std::string& flight) {
  for (const LegChoice& leg : legs_)
    if (leg.flight == flight) marked_.insert(leg.Key());
}

std::string CopyTargets::TargetList() const {
  std::string list;
  for (const std::string& key : marked_) list += (list.empty() ? "" : ";") + key;
  return list;
}

}  // namespace screen_tools
