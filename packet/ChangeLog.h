#pragma once
// The pending changes of a client dataset (its delta), sent to the server as
// one value.
//
// Wire form:
//   {"changes":[{"op":"insert","new":{...}},
//               {"op":"modify","old":{...},"new":{...}},
//               {"op":"delete","old":{...}}]}
// with every field of the row in "old" and "new".

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "packet/Value.h"

namespace packet {

enum class ChangeOp { Insert, Modify, Delete };

// Field name and value pairs, in the dataset's field order.
using Record = std::vector<std::pair<std::string, Value>>;

struct Change {
  ChangeOp op = ChangeOp::Insert;
  Record oldValues;  // modify and delete
  Record newValues;  // insert and modify
};

struct ChangeLog {
  std::vector<Change> changes;
};

// The value of that field in the record (case-insensitive name), or nullptr.
const Value* FindValue(const Record& record, std::string_view name);

// Name of an operation on the wire ("insert", "modify", "delete").
const char* ChangeOpName(ChangeOp op);

// Encodes to the wire form; a record the operation does not take (the "old"
// of an insert, the "new" of a delete) is left out. Throws PacketError for a
// change that lacks (has an empty) record its operation needs, a
// non-finite number or text that is not valid UTF-8, and for what
// DecodeChangeLog would refuse: an empty or repeated field name in a record,
// a modify whose records name different fields.
std::string EncodeChangeLog(const ChangeLog& log);

// Decodes and validates strictly: an object with exactly the member
// "changes", an array of objects with "op" and exactly the records that op
// takes ("new" for insert, "old" and "new" for modify, "old" for delete);
// each record a non-empty object of null, number or string values with
// unique, non-empty names (case-insensitive); the "old" and "new" of a
// modify name the same fields, in any order. Throws PacketError naming the
// problem and the change's position (counted from 0). Never crashes.
ChangeLog DecodeChangeLog(std::string_view json);

}  // namespace packet
