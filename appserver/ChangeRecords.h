#pragma once
// The change log that SetQtdePropServico receives, read into typed rows of
// PROPSERVICO.

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

// Decodes the change log (wire form in packet/ChangeLog.h). Each record must
// name every column of PROPSERVICO (other fields are ignored): the five key
// texts as strings, CDCLASSE and CDCICLO as strings or null, the three
// quantities as numbers or null, no text longer than its column. Throws
// RpcError kInvalidParams naming the change (counted from 0), the record and
// the field at fault.
std::vector<PropChange> ReadChanges(std::string_view changeLogJson);

}  // namespace appserver
