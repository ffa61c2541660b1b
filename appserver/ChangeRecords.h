#pragma once
// The change log that SetQtdePropServico receives, read into typed rows of
// PROPSERVICO.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packet/ChangeLog.h"

namespace appserver {

// One row of PROPSERVICO as a change names it.
struct PropRow {
  std::string filial, cia, voo, trecho, servico;
  std::optional<double> de, ate;  // null: not filled in by the user
  std::optional<std::string> classe, ciclo;
  std::optional<double> qtservico;
};

struct PropChange {
  packet::ChangeOp op = packet::ChangeOp::Insert;
  PropRow before;  // modify and delete
  PropRow after;   // insert and modify
};

// The most changes one save may hold: each is applied, checked and logged
// in the save's one transaction, which holds the write lock meanwhile. A
// screen's delta is a few dozen changes.
inline constexpr std::size_t kMaxChangesPerSave = 10000;

// The largest quantity of a service (QTSERVICO), as the screen allows.
inline constexpr double kMaxQuantity = 99999;

// Decodes the change log (wire form in packet/ChangeLog.h), refusing the
// whole log unless:
// - it holds at most kMaxChangesPerSave changes;
// - each record names exactly the columns of PROPSERVICO (names compare
//   regardless of case): the five key texts as strings, CDCLASSE and
//   CDCICLO as strings or null, the three quantities as numbers or null, no
//   text longer than its column;
// - in each inserted or modified ("new") record QTSERVICO, when given, lies
//   in 0..kMaxQuantity;
// - a modify keeps the key texts (CDFILIAL, CDCIA, NRVOO, CDTRECHO,
//   CDSERVICO): only the bounds and the values of a range may change.
// Throws RpcError kInvalidParams naming the change (counted from 0), the
// record and the field at fault, with {"change":N,"field":NAME} as data
// ({"changes":N,"limit":L} for too many changes). No database is touched.
std::vector<PropChange> ReadChanges(std::string_view changeLogJson);

}  // namespace appserver
