#pragma once
// The host's local cache of general-database lookups: the rows of lookup
// queries over tables the host chose to cache, kept until those tables are
// refreshed. Screens that change a table refresh it so that every screen
// of the host sees the change.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>
#include "packet/DataPacket.h"

namespace framework {

class LocalCache {
 public:
  static LocalCache& Instance();

  // Tables whose lookups are kept (upper case). Setting it empties the cache.
  void SetCachedTables(std::set<std::string> tables);
  const std::set<std::string>& CachedTables() const { return tables_; }
  // A query over these tables can be answered from the cache.
  bool Caches(const std::vector<std::string>& tables) const;

  // The rows kept under the key, if any.
  std::optional<packet::DataPacket> Find(const std::string& key) const;
  void Store(const std::string& key, const std::vector<std::string>& tables, packet::DataPacket rows);

  // Drops every entry that reads the table and counts the refresh.
  void Refresh(std::string_view table);
  int RefreshCount(std::string_view table) const;
  int EntryCount() const { return static_cast<int>(entries_.size()); }

  // Forgets entries, tables and counts (tests, host exit).
  void Reset();

 private:
  struct Entry {
    std::vector<std::string> tables;
    packet::DataPacket rows;
  };
  std::set<std::string> tables_;
  std::map<std::string, Entry> entries_;
  std::map<std::string, int, std::less<>> refreshes_;
};

// Refreshes each named table of the host's cache.
void AtualizaLocalCache(const std::vector<std::string>& tables);

}  // namespace framework
