#pragma once
// Writes the wire form of a change log change by change, from rows that
// share one list of field names, as a dataset holds its pending changes.
// Produces the same text as EncodeChangeLog of the equivalent ChangeLog
// without building one first: the names are checked and escaped once.

#include <cstddef>
#include <string>
#include <vector>

#include "packet/JsonWriter.h"
#include "packet/Value.h"

namespace packet {

class ChangeLogWriter {
 public:
  // Throws PacketError when the list is empty or holds an empty, repeated
  // (case-insensitive) or not valid UTF-8 name.
  explicit ChangeLogWriter(const std::vector<std::string>& fieldNames);
  ChangeLogWriter(const ChangeLogWriter&) = delete;
  ChangeLogWriter& operator=(const ChangeLogWriter&) = delete;

  // Makes room for about that many changes, so that a large log is not
  // copied over and over while it grows.
  void Reserve(std::size_t changes);

  // Each throws PacketError, naming the change and the field, for a row
  // whose length differs from the names', a non-finite number or text that
  // is not valid UTF-8; the text written so far is then unusable.
  void Insert(const Row& newValues);
  void Modify(const Row& oldValues, const Row& newValues);
  void Delete(const Row& oldValues);

  // The complete text. Call once, last.
  std::string Finish();

 private:
  void Begin(const char* op);
  void WriteRow(const Row& row, const char* member);

  std::vector<std::string> names_;
  std::vector<std::string> keys_;  // each name as JSON with its colon
  std::string out_;
  JsonWriter w_{out_};
  std::size_t count_ = 0;
};

}  // namespace packet
