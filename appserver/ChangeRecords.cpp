#include "appserver/ChangeRecords.h"

#include <array>

#include "appserver/Replies.h"
#include "appserver/Statement.h"
#include "rpc/Message.h"

namespace appserver {

namespace {

constexpr char kMethod[] = "SetQtdePropServico";

// The columns of PROPSERVICO, in the order ReadRow asks for them.
constexpr std::array<const char*, 10> kColumns{"CDFILIAL", "CDCIA",    "NRVOO",    "CDTRECHO", "CDSERVICO",
                                               "QTPAXDE",  "QTPAXATE", "CDCLASSE", "CDCICLO",  "QTSERVICO"};

// Where each field was found in the last record read: the records of one
// delta list their fields in the same order, so the guess is nearly always
// right and saves a search by name.
using Layout = std::array<std::size_t, kColumns.size()>;

[[noreturn]] void Refuse(std::size_t change, const char* which, const std::string& field, const std::string& what) {
  throw rpc::RpcError(
      rpc::kInvalidParams,
      std::string(kMethod) + ": change " + std::to_string(change) + ", '" + which + "': field " + field + " " + what,
      ErrorData({{"change", static_cast<double>(change)}, {"field", field}}));
}

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

  // After every column was found: a field beyond them is one the screen
  // never sends, and storing the row without it would hide the fault.
  void ExpectNoOtherField() {
    if (record_.size() == kColumns.size()) return;  // names are unique, and all ten were found
    for (const auto& [name, value] : record_) {
      bool known = false;
      for (const char* column : kColumns) known = known || packet::SameFieldName(name, column);
      if (!known) Refuse(change_, which_, std::string(ClipText(name, 40)), "is not a column of PROPSERVICO");
    }
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

  [[noreturn]] void Fail(const char* name, const std::string& what) { Refuse(change_, which_, name, what); }

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
  r.ExpectNoOtherField();
  return row;
}

// Only what is to be stored is held to the screen's bounds: an "old" names a
// stored row, whatever it holds, so that such a row can still be deleted.
void CheckNewValues(const PropRow& row, std::size_t change) {
  if (row.qtservico && !(*row.qtservico >= 0 && *row.qtservico <= kMaxQuantity))
    Refuse(change, "new", "QTSERVICO", "must lie between 0 and " + NumberText(kMaxQuantity));
}

// A modify changes a range of one service on one leg: moving it to another
// branch, airline, flight, leg or service would bypass the checks of an
// insert there and of a delete here.
void CheckSameKey(const PropRow& before, const PropRow& after, std::size_t change) {
  const std::array<std::pair<const char*, const std::string PropRow::*>, 5> keys{
      {{"CDFILIAL", &PropRow::filial},
       {"CDCIA", &PropRow::cia},
       {"NRVOO", &PropRow::voo},
       {"CDTRECHO", &PropRow::trecho},
       {"CDSERVICO", &PropRow::servico}}};
  for (const auto& [name, member] : keys)
    if (before.*member != after.*member)
      Refuse(change, "new", name, "cannot change in a modify ('" + before.*member + "' to '" + after.*member + "')");
}

}  // namespace

std::vector<PropChange> ReadChanges(std::string_view changeLogJson) {
  packet::ChangeLog log;
  try {
    log = packet::DecodeChangeLog(changeLogJson);
  } catch (const packet::PacketError& e) {
    throw rpc::RpcError(rpc::kInvalidParams, std::string(kMethod) + ": " + e.what());
  }
  if (log.changes.size() > kMaxChangesPerSave) {
    throw rpc::RpcError(rpc::kInvalidParams,
                        std::string(kMethod) + ": a save holds at most " + std::to_string(kMaxChangesPerSave) +
                            " changes, this one has " + std::to_string(log.changes.size()),
                        ErrorData({{"changes", static_cast<double>(log.changes.size())},
                                   {"limit", static_cast<double>(kMaxChangesPerSave)}}));
  }
  std::vector<PropChange> changes;
  changes.reserve(log.changes.size());
  Layout layout{};
  for (std::size_t i = 0; i < log.changes.size(); ++i) {
    const packet::Change& c = log.changes[i];
    PropChange change;
    change.op = c.op;
    if (c.op != packet::ChangeOp::Insert) change.before = ReadRow(c.oldValues, i, "old", layout);
    if (c.op != packet::ChangeOp::Delete) {
      change.after = ReadRow(c.newValues, i, "new", layout);
      CheckNewValues(change.after, i);
    }
    if (c.op == packet::ChangeOp::Modify) CheckSameKey(change.before, change.after, i);
    changes.push_back(std::move(change));
  }
  return changes;
}

}  // namespace appserver
