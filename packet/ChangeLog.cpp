#include "packet/ChangeLog.h"

#include "packet/JsonReader.h"
#include "packet/JsonWriter.h"
#include "packet/PacketDetail.h"
#include "packet/Utf8.h"

namespace packet {

namespace {

using detail::DescribeToken;
using detail::Quoted;
using Token = JsonReader::Token;

constexpr char kContext[] = "change log";

[[noreturn]] void Throw(const std::string& what) { throw PacketError(std::string(kContext) + ": " + what); }

std::string ChangeAt(std::size_t i) { return "change " + std::to_string(i); }

bool TakesOld(ChangeOp op) { return op == ChangeOp::Modify || op == ChangeOp::Delete; }
bool TakesNew(ChangeOp op) { return op == ChangeOp::Insert || op == ChangeOp::Modify; }

std::vector<std::string_view> Names(const Record& record) {
  std::vector<std::string_view> names;
  names.reserve(record.size());
  for (const auto& [name, value] : record) names.push_back(name);
  return names;
}

// Problem with the names of a record, or an empty string. Shared by both
// directions so that whatever encodes also decodes.
std::string NameProblem(const Record& record) {
  if (record.empty()) return "has no fields";
  for (const auto& [name, value] : record) {
    if (name.empty()) return "has a field with an empty name";
  }
  std::ptrdiff_t dup = -1;
  if (record.size() <= 16) {
    // The usual record: compared in place, without a list of names, since
    // every change of a delta passes here.
    for (std::size_t i = 1; i < record.size() && dup < 0; ++i)
      for (std::size_t j = 0; j < i; ++j)
        if (SameFieldName(record[i].first, record[j].first)) {
          dup = static_cast<std::ptrdiff_t>(i);
          break;
        }
  } else {
    dup = detail::FindDuplicateName(Names(record));
  }
  if (dup >= 0) return "duplicate field name " + Quoted(record[static_cast<std::size_t>(dup)].first);
  return {};
}

// Whether both records name the same fields in the same order, the way a
// dataset writes them; the cheap test before SameNameSet.
bool SameNamesInOrder(const Record& a, const Record& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].first != b[i].first && !SameFieldName(a[i].first, b[i].first)) return false;
  return true;
}

// --- decoding --------------------------------------------------------------

// The names of the last record that passed NameProblem: a delta names the
// same fields in every record, so most records need no check of their own.
struct CheckedNames {
  std::vector<std::string> names;

  bool Match(const Record& record) const {
    if (names.empty() || record.size() != names.size()) return false;
    for (std::size_t i = 0; i < names.size(); ++i)
      if (record[i].first != names[i]) return false;
    return true;
  }
  void Remember(const Record& record) {
    names.clear();
    for (const auto& [name, value] : record) names.push_back(name);
  }
};

// `where` names the record in messages; it is built only when one is needed.
template <class Where>
void ReadRecord(JsonReader& r, const Where& where, Record& record, CheckedNames& checked) {
  const Token t = r.Peek();
  if (t != Token::ObjectStart) r.Fail(where() + " must be an object, got " + DescribeToken(t));
  r.BeginObject();
  record.reserve(checked.names.size());
  std::string name;
  while (r.NextMember(name)) {
    const Token v = r.Peek();
    if (v != Token::String && v != Token::Number && v != Token::Null) {
      r.Fail(where() + ", field " + Quoted(name) + ": expected null, a number or a string, got " + DescribeToken(v));
    }
    Value value = r.ReadScalar();
    record.emplace_back(std::move(name), std::move(value));
  }
  if (checked.Match(record)) return;
  if (const std::string problem = NameProblem(record); !problem.empty()) r.Fail(where() + ": " + problem);
  checked.Remember(record);
}

Change ReadChange(JsonReader& r, std::size_t index, CheckedNames& checked) {
  auto where = [index] { return ChangeAt(index); };
  const Token t = r.Peek();
  if (t != Token::ObjectStart) r.Fail(where() + ": expected an object, got " + DescribeToken(t));
  r.BeginObject();
  Change change;
  bool haveOp = false, haveOld = false, haveNew = false;
  std::string member;
  while (r.NextMember(member)) {
    if (member == "op") {
      if (haveOp) r.Fail(where() + ": duplicate member 'op'");
      haveOp = true;
      const Token v = r.Peek();
      if (v != Token::String) r.Fail(where() + ": 'op' must be a string, got " + DescribeToken(v));
      const std::string op = r.ReadString();
      if (op == "insert") {
        change.op = ChangeOp::Insert;
      } else if (op == "modify") {
        change.op = ChangeOp::Modify;
      } else if (op == "delete") {
        change.op = ChangeOp::Delete;
      } else {
        r.Fail(where() + ": unknown op " + Quoted(op));
      }
    } else if (member == "old" || member == "new") {
      const bool isOld = member == "old";
      bool& seen = isOld ? haveOld : haveNew;
      if (seen) r.Fail(where() + ": duplicate member " + Quoted(member));
      seen = true;
      ReadRecord(
          r, [&] { return where() + ", " + Quoted(isOld ? "old" : "new"); },
          isOld ? change.oldValues : change.newValues, checked);
    } else {
      r.Fail(where() + ": unknown member " + Quoted(member));
    }
  }
  // "op" may come after the records, so they are matched to it here.
  if (!haveOp) r.Fail(where() + ": missing member 'op'");
  if (TakesOld(change.op) && !haveOld) r.Fail(where() + ": missing member 'old'");
  if (TakesNew(change.op) && !haveNew) r.Fail(where() + ": missing member 'new'");
  if (!TakesOld(change.op) && haveOld) r.Fail(where() + ": an insert takes no 'old'");
  if (!TakesNew(change.op) && haveNew) r.Fail(where() + ": a delete takes no 'new'");
  if (change.op == ChangeOp::Modify && !SameNamesInOrder(change.oldValues, change.newValues) &&
      !detail::SameNameSet(Names(change.oldValues), Names(change.newValues))) {
    r.Fail(where() + ": 'old' and 'new' name different fields");
  }
  return change;
}

// --- encoding --------------------------------------------------------------

// `where` names the record in messages; it is built only when one is needed.
// `checked` is a record whose names passed already: a delta names the same
// fields in every record, so most records need no check of their own.
void WriteRecord(JsonWriter& w, const Record& record, std::size_t index, const char* which, const Record*& checked) {
  auto where = [&] { return ChangeAt(index) + ", " + which; };
  if (!checked || !SameNamesInOrder(record, *checked)) {
    if (const std::string problem = NameProblem(record); !problem.empty()) Throw(where() + ": " + problem);
    checked = &record;
  }
  w.Raw('{');
  bool first = true;
  for (const auto& [name, value] : record) {
    if (!first) w.Raw(',');
    first = false;
    if (!w.String(name)) Throw(where() + ": a field name is not valid UTF-8");
    w.Raw(':');
    if (w.Scalar(value)) continue;
    Throw(where() + ", field " + Quoted(name) +
          detail::ScalarProblem(value));
  }
  w.Raw('}');
}

}  // namespace

const Value* FindValue(const Record& record, std::string_view name) {
  for (const auto& [fieldName, value] : record) {
    if (SameFieldName(fieldName, name)) return &value;
  }
  return nullptr;
}

const char* ChangeOpName(ChangeOp op) {
  switch (op) {
    case ChangeOp::Insert: return "insert";
    case ChangeOp::Modify: return "modify";
    case ChangeOp::Delete: return "delete";
  }
  return "unknown";
}

std::string EncodeChangeLog(const ChangeLog& log) {
  std::string out;
  // A guess at the size from the first change, so that a large delta is not
  // copied over and over while it grows.
  if (!log.changes.empty()) {
    const Change& c = log.changes.front();
    out.reserve(log.changes.size() * (40 + 24 * (c.oldValues.size() + c.newValues.size())));
  }
  JsonWriter w(out);
  const Record* checked = nullptr;
  w.Raw(R"({"changes":[)");
  for (std::size_t i = 0; i < log.changes.size(); ++i) {
    const Change& c = log.changes[i];
    if (c.op != ChangeOp::Insert && c.op != ChangeOp::Modify && c.op != ChangeOp::Delete) {
      Throw(ChangeAt(i) + ": unknown op");
    }
    if (TakesOld(c.op) && c.oldValues.empty()) Throw(ChangeAt(i) + ": " + ChangeOpName(c.op) + " without 'old'");
    if (TakesNew(c.op) && c.newValues.empty()) Throw(ChangeAt(i) + ": " + ChangeOpName(c.op) + " without 'new'");
    if (i) w.Raw(',');
    w.Raw(R"({"op":")");
    w.Raw(ChangeOpName(c.op));
    w.Raw('"');
    // Records the op does not take are left out, as the decoder would
    // refuse them.
    if (TakesOld(c.op)) {
      w.Raw(R"(,"old":)");
      WriteRecord(w, c.oldValues, i, "'old'", checked);
    }
    if (TakesNew(c.op)) {
      w.Raw(R"(,"new":)");
      WriteRecord(w, c.newValues, i, "'new'", checked);
    }
    // After WriteRecord, whose messages about bad names say more.
    if (c.op == ChangeOp::Modify && !SameNamesInOrder(c.oldValues, c.newValues) &&
        !detail::SameNameSet(Names(c.oldValues), Names(c.newValues))) {
      Throw(ChangeAt(i) + ": 'old' and 'new' name different fields");
    }
    w.Raw('}');
  }
  w.Raw("]}");
  return out;
}

ChangeLog DecodeChangeLog(std::string_view json) {
  JsonReader r(json);
  r.SetContext(kContext);
  ChangeLog log;
  bool haveChanges = false;
  std::string member;
  r.BeginObject();
  while (r.NextMember(member)) {
    if (member != "changes") r.Fail("unknown member " + Quoted(member));
    if (haveChanges) r.Fail("duplicate member 'changes'");
    haveChanges = true;
    const Token t = r.Peek();
    if (t != Token::ArrayStart) r.Fail(std::string("'changes' must be an array, got ") + DescribeToken(t));
    r.BeginArray();
    CheckedNames checked;
    while (r.NextElement()) log.changes.push_back(ReadChange(r, log.changes.size(), checked));
  }
  r.ExpectEnd();
  if (!haveChanges) Throw("missing member 'changes'");
  return log;
}

}  // namespace packet
