#pragma once
// The table a remote method answers with: field definitions plus rows.
//
// Wire form:
//   {"fields":[{"name":"CDCIA","type":"string","size":4},{"name":"MAXPAX","type":"float"}],
//    "rows":[["0001",20.0]]}
// null is JSON null.

#include <string>
#include <string_view>
#include <vector>

#include "packet/Value.h"

namespace packet {

struct FieldDef {
  std::string name;
  FieldType type = FieldType::String;
  int size = 0;  // characters, for string fields; 0 for float fields
};

struct DataPacket {
  std::vector<FieldDef> fields;
  std::vector<Row> rows;  // each row holds one value per field, in field order

  // Position of the field with that name (case-insensitive), or -1.
  int FieldIndex(std::string_view name) const;
};

// Encodes to the wire form. Throws PacketError for a row of the wrong length,
// a value of the wrong type for its field, a non-finite number or text that
// is not valid UTF-8, and for anything else DecodePacket would refuse (an
// empty or repeated field name, a string field's size below 1, text longer
// than its field's size), so that what is sent can always be read.
std::string EncodePacket(const DataPacket& packet);

// A field list checked, and its part of the packet text written, once: for
// a server that answers packets of the same fields again and again.
class PacketFields {
 public:
  // Throws PacketError for a field list EncodePacket would refuse.
  explicit PacketFields(std::vector<FieldDef> fields);
  const std::vector<FieldDef>& List() const { return fields_; }
  // {"fields":[...],"rows":[
  const std::string& Head() const { return head_; }

 private:
  std::vector<FieldDef> fields_;
  std::string head_;
};

// The same text as EncodePacket of those fields and rows, with the same
// checks of the rows.
std::string EncodePacket(const PacketFields& fields, const std::vector<Row>& rows);

// Decodes and validates strictly: an object with exactly the members
// "fields" and "rows" (in any order); each field an object with "name"
// (non-empty, unique), "type" ("string" or "float") and, for strings, "size"
// (a whole number from 1); each row an array with one value per field, null
// or of the field's type, text no longer than the field's size. Throws
// PacketError naming the problem (wrong type, row of the wrong length,
// unknown field type, missing or unknown member, malformed JSON with its
// byte offset); rows and fields are counted from 0 in messages. Never
// crashes, whatever the input.
DataPacket DecodePacket(std::string_view json);

}  // namespace packet
