#pragma once
// The saves the soak clients send: change logs of passenger ranges on one
// leg and service, in the wire form SetQtdePropServico reads.

#include <optional>
#include <string>
#include <vector>

namespace soak {

// A leg and a service of its airline: where one client keeps its ranges.
struct LegService {
  std::string filial, cia, sgcia, voo, trecho, servico;
  // The service's class and cycle (empty: none), which the server stores
  // with every range: a change must name them as stored.
  std::string classe = {}, ciclo = {};

  // "0001/0101/1110/02/10101002", for messages and as a map key.
  std::string Name() const;
};

struct Range {
  double from = 0, to = 0, qty = 0;
};

struct RangeChange {
  enum class Op { Insert, Modify, Delete } op = Op::Insert;
  std::optional<Range> before, after;  // before for modify and delete, after for insert and modify
};

// The change log, class and cycle left null for the server to take from the
// product. Throws std::invalid_argument for a change that lacks the range
// its operation needs.
std::string ChangeLogJson(const LegService& key, const std::vector<RangeChange>& changes);

}  // namespace soak
