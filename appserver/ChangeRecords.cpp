#include "appserver/ChangeRecords.h"

#include <array>

#include "appserver/Replies.h"
#include "appserver/Statement.h"
#include "rpc/Message.h"

namespace appserver {

namespace {

constexpr char kMethod[] = "SetQtdePropServico";

// Where each field was found in the last record read: the records of one
// delta list their fields in the same order, so the guess is nearly always
// right and saves a search by name.
using Layout = std::array<std::size_t, 10>;

class RecordReader {
 public:
  RecordReader(const packet::Record& record, std::size_t change, const char* which, Layout& layout)
      : record_(record), change_(change), which_(which), layout_(layout) {}

  std::string Key(const char* name, std::size_t size) {
    const packet::Value& v = Find(name);
    if (!std::holds_alternative<std::string>(v)) Fail(name, "must be a text");
    return Fit(name, std::get<std::string>(v), size);
  }

  std::optional<std::string> Text(const char* name, std::size_t size) {
    const packet::Value& v = Find(name);
    if (packet::IsNull(v)) return std::nullopt;
    if (!std::holds_alternative<std::string>(v)) Fail(name, "must be a text or null");
    return Fit(name, std::get<std::string>(v), size);
  }

  std::optional<double> Number(const char* name) {
    const packet::Value& v = Find(name);
    if (packet::IsNull(v)) return std::nullopt;
    if (!std::holds_alternative<double>(v)) Fail(name, "must be a number or null");
    return std::get<double>(v);
  }

 private:
  // Names are unique within a record, so the field at the guessed place,
  // when it has the name, is the one a search would find.
  const packet::Value& Find(const char* name) {
    std::size_t& at = layout_[slot_++];
    if (at < record_.size() && packet::SameFieldName(record_[at].first, name)) return record_[at].second;
    for (at = 0; at < record_.size(); ++at)
      if (packet::SameFieldName(record_[at].first, name)) return record_[at].second;
    Fail(name, "is missing");
  }

  std::string Fit(const char* name, const std::string& text, std::size_t size) {
    if (ClipText(text, size).size() != text.size()) {
      Fail(name, "is longer than " + std::to_string(size) + " characters");
    }
    return text;
  }

  [[noreturn]] void Fail(const char* name, const std::string& what) {
    throw rpc::RpcError(
        rpc::kInvalidParams,
        std::string(kMethod) + ": change " + std::to_string(change_) + ", '" + which_ + "': field " + name + " " + what,
        ErrorData({{"change", static_cast<double>(change_)}, {"field", std::string(name)}}));
  }

  const packet::Record& record_;
  std::size_t change_;
  const char* which_;
  Layout& layout_;
  std::size_t slot_ = 0;  // fields are asked for in the same order each time
};

PropRow ReadRow(const packet::Record& record, std::size_t change, const char* which, Layout& layout) {
  RecordReader r(record, change, which, layout);
  PropRow row;
  row.filial = r.Key("CDFILIAL", 4);
  row.cia = r.Key("CDCIA", 4);
  row.voo = r.Key("NRVOO", 5);
  row.trecho = r.Key("CDTRECHO", 4);
  row.servico = r.Key("CDSERVICO", 10);
  row.de = r.Number("QTPAXDE");
  row.ate = r.Number("QTPAXATE");
  row.classe = r.Text("CDCLASSE", 4);
  row.ciclo = r.Text("CDCICLO", 4);
  row.qtservico = r.Number("QTSERVICO");
  return row;
}

}  // namespace

std::vector<PropChange> ReadChanges(std::string_view changeLogJson) {
  packet::ChangeLog log;
  try {
    log = packet::DecodeChangeLog(changeLogJson);
  } catch (const packet::PacketError& e) {
    throw rpc::RpcError(rpc::kInvalidParams, std::string(kMethod) + ": " + e.what());
  }
  std::vector<PropChange> changes;
  changes.reserve(log.changes.size());
  Layout layout{};
  for (std::size_t i = 0; i < log.changes.size(); ++i) {
    const packet::Change& c = log.changes[i];
    PropChange change;
    change.op = c.op;
    if (c.op != packet::ChangeOp::Insert) change.before = ReadRow(c.oldValues, i, "old", layout);
    if (c.op != packet::ChangeOp::Delete) change.after = ReadRow(c.newValues, i, "new", layout);
    changes.push_back(std::move(change));
  }
  return changes;
}

}  // namespace appserver
