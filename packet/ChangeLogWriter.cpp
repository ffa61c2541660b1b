#include "packet/ChangeLogWriter.h"

#include <string_view>

#include "packet/PacketDetail.h"

namespace packet {

namespace {

[[noreturn]] void Throw(const std::string& what) { throw PacketError("change log: " + what); }

}  // namespace

ChangeLogWriter::ChangeLogWriter(const std::vector<std::string>& fieldNames) : names_(fieldNames) {
  if (names_.empty()) Throw("a record has no fields");
  std::vector<std::string_view> views(names_.begin(), names_.end());
  for (const auto& name : names_) {
    if (name.empty()) Throw("a record has a field with an empty name");
    std::string key;
    JsonWriter kw(key);
    if (!kw.String(name)) Throw("a field name is not valid UTF-8");
    key.push_back(':');
    keys_.push_back(std::move(key));
  }
  const std::ptrdiff_t dup = detail::FindDuplicateName(views);
  if (dup >= 0) Throw("duplicate field name " + detail::Quoted(names_[static_cast<std::size_t>(dup)]));
  w_.Raw(R"({"changes":[)");
}

void ChangeLogWriter::Reserve(std::size_t changes) {
  std::size_t keys = 0;
  for (const auto& k : keys_) keys += k.size();
  // An insert record: the keys, about a dozen bytes a value, the framing.
  out_.reserve(out_.size() + changes * (keys + 12 * keys_.size() + 32));
}

void ChangeLogWriter::Begin(const char* op) {
  if (count_ > 0) w_.Raw(',');
  w_.Raw(R"({"op":")");
  w_.Raw(op);
  w_.Raw('"');
}

void ChangeLogWriter::WriteRow(const Row& row, const char* member) {
  auto where = [&] { return "change " + std::to_string(count_) + ", '" + member + "'"; };
  if (row.size() != names_.size())
    Throw(where() + ": " + std::to_string(row.size()) + " values for " + std::to_string(names_.size()) + " fields");
  w_.Raw(",\"");
  w_.Raw(member);
  w_.Raw(R"(":{)");
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (i) w_.Raw(',');
    w_.Raw(keys_[i]);
    if (!w_.Scalar(row[i]))
      Throw(where() + ", field " + detail::Quoted(names_[i]) +
            detail::ScalarProblem(row[i]));
  }
  w_.Raw('}');
}

void ChangeLogWriter::Insert(const Row& newValues) {
  Begin("insert");
  WriteRow(newValues, "new");
  w_.Raw('}');
  ++count_;
}

void ChangeLogWriter::Modify(const Row& oldValues, const Row& newValues) {
  Begin("modify");
  WriteRow(oldValues, "old");
  WriteRow(newValues, "new");
  w_.Raw('}');
  ++count_;
}

void ChangeLogWriter::Delete(const Row& oldValues) {
  Begin("delete");
  WriteRow(oldValues, "old");
  w_.Raw('}');
  ++count_;
}

std::string ChangeLogWriter::Finish() {
  w_.Raw("]}");
  return std::move(out_);
}

}  // namespace packet
