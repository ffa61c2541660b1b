#include "framework/LocalCache.h"

#include <algorithm>

namespace framework {

namespace {

std::string Upper(std::string_view text) {
  std::string s(text);
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

}  // namespace

LocalCache& LocalCache::Instance() {
  static LocalCache cache;
  return cache;
}

void LocalCache::SetCachedTables(std::set<std::string> tables) {
  tables_.clear();
  for (const std::string& t : tables) tables_.insert(Upper(t));
  entries_.clear();
}

bool LocalCache::Caches(const std::vector<std::string>& tables) const {
  if (tables.empty()) return false;
  return std::all_of(tables.begin(), tables.end(), [this](const std::string& t) { return tables_.count(Upper(t)) > 0; });
}

std::optional<packet::DataPacket> LocalCache::Find(const std::string& key) const {
  auto it = entries_.find(key);
  if (it == entries_.end()) return std::nullopt;
  return it->second.rows;
}

void LocalCache::Store(const std::string& key, const std::vector<std::string>& tables, packet::DataPacket rows) {
  Entry entry;
  for (const std::string& t : tables) entry.tables.push_back(Upper(t));
  entry.rows = std::move(rows);
  entries_[key] = std::move(entry);
}

void LocalCache::Refresh(std::string_view table) {
  const std::string name = Upper(table);
  for (auto it = entries_.begin(); it != entries_.end();) {
    const auto& reads = it->second.tables;
    if (std::find(reads.begin(), reads.end(), name) != reads.end())
      it = entries_.erase(it);
    else
      ++it;
  }
  ++refreshes_[name];
}

int LocalCache::RefreshCount(std::string_view table) const {
  auto it = refreshes_.find(Upper(table));
  return it == refreshes_.end() ? 0 : it->second;
}

void LocalCache::Reset() {
  tables_.clear();
  entries_.clear();
  refreshes_.clear();
}

void AtualizaLocalCache(const std::vector<std::string>& tables) {
  for (const std::string& t : tables) LocalCache::Instance().Refresh(t);
}

}  // namespace framework
