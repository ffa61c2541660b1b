#include "packet/DataPacket.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "packet/JsonReader.h"
#include "packet/JsonWriter.h"
#include "packet/PacketDetail.h"
#include "packet/Utf8.h"

namespace packet {

namespace {

using detail::DescribeToken;
using detail::Quoted;
using Token = JsonReader::Token;

constexpr char kContext[] = "data packet";

[[noreturn]] void Throw(const std::string& what) { throw PacketError(std::string(kContext) + ": " + what); }

[[noreturn]] void ThrowAt(std::size_t offset, const std::string& what) {
  Throw(what + " at byte " + std::to_string(offset));
}

std::string FieldAt(std::size_t i) { return "field " + std::to_string(i); }

std::string CellAt(std::size_t row, const FieldDef& field) {
  return "row " + std::to_string(row) + ", field " + Quoted(field.name);
}

std::string TooLong(std::string_view text, const FieldDef& field) {
  return "text of " + std::to_string(utf8::CodePoints(text)) + " characters is longer than the field's size " +
         std::to_string(field.size);
}

std::string RowLength(std::size_t row, std::size_t got, std::size_t want) {
  return "row " + std::to_string(row) + ": has " + std::to_string(got) + " values, expected " + std::to_string(want);
}

std::string BadSize(const std::string& got) {
  return ": size must be a whole number from 1 to " + std::to_string(std::numeric_limits<int>::max()) + ", got " + got;
}

std::string NumberText(double v) {
  char buf[32];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

// Throws if two fields share a name (case-insensitive).
void CheckUniqueNames(const std::vector<FieldDef>& fields) {
  std::vector<std::string_view> names;
  names.reserve(fields.size());
  for (const FieldDef& f : fields) names.push_back(f.name);
  const std::ptrdiff_t dup = detail::FindDuplicateName(names);
  if (dup >= 0) Throw("duplicate field name " + Quoted(names[static_cast<std::size_t>(dup)]));
}

// --- decoding --------------------------------------------------------------

FieldDef ReadField(JsonReader& r, std::size_t index) {
  const std::string where = FieldAt(index);
  const Token t = r.Peek();
  if (t != Token::ObjectStart) r.Fail(where + ": expected an object, got " + DescribeToken(t));
  r.BeginObject();
  FieldDef field;
  bool haveName = false, haveType = false, haveSize = false;
  std::string typeName;
  double size = 0;
  std::string member;
  while (r.NextMember(member)) {
    bool* seen = member == "name" ? &haveName : member == "type" ? &haveType : member == "size" ? &haveSize : nullptr;
    if (!seen) r.Fail(where + ": unknown member " + Quoted(member));
    if (*seen) r.Fail(where + ": duplicate member " + Quoted(member));
    *seen = true;
    const Token v = r.Peek();
    const Token want = seen == &haveSize ? Token::Number : Token::String;
    if (v != want)
      r.Fail(where + ": " + Quoted(member) + " must be " + DescribeToken(want) + ", got " + DescribeToken(v));
    if (seen == &haveName) {
      field.name = r.ReadString();
    } else if (seen == &haveType) {
      typeName = r.ReadString();
    } else {
      size = r.ReadNumber();
    }
  }
  // Members come in any order, so they are checked once all are in.
  if (!haveName) r.Fail(where + ": missing member 'name'");
  if (field.name.empty()) r.Fail(where + ": empty name");
  const std::string named = "field " + Quoted(field.name);
  if (!haveType) r.Fail(named + ": missing member 'type'");
  if (typeName == "string") {
    field.type = FieldType::String;
    if (!haveSize) r.Fail(named + ": missing member 'size'");
    if (!(size >= 1 && size <= std::numeric_limits<int>::max() && std::floor(size) == size)) {
      r.Fail(named + BadSize(NumberText(size)));
    }
    field.size = static_cast<int>(size);
  } else if (typeName == "float") {
    field.type = FieldType::Float;
    if (haveSize) r.Fail(named + ": a float field takes no 'size'");
  } else {
    r.Fail(named + ": unknown field type " + Quoted(typeName));
  }
  return field;
}

std::vector<FieldDef> ReadFields(JsonReader& r) {
  const Token t = r.Peek();
  if (t != Token::ArrayStart) r.Fail(std::string("'fields' must be an array, got ") + DescribeToken(t));
  r.BeginArray();
  std::vector<FieldDef> fields;
  while (r.NextElement()) fields.push_back(ReadField(r, fields.size()));
  CheckUniqueNames(fields);
  return fields;
}

void ReadCell(JsonReader& r, const FieldDef& field, std::size_t row, Row& out) {
  const Token t = r.Peek();
  const std::size_t at = r.Offset();
  if (t == Token::Null) {
    r.ReadNull();
    out.emplace_back();
    return;
  }
  if (field.type == FieldType::String) {
    if (t != Token::String) ThrowAt(at, CellAt(row, field) + ": expected a string or null, got " + DescribeToken(t));
    const auto& text = std::get<std::string>(out.emplace_back(std::in_place_type<std::string>, r.ReadString()));
    if (!utf8::FitsIn(text, static_cast<std::size_t>(field.size)))
      ThrowAt(at, CellAt(row, field) + ": " + TooLong(text, field));
  } else {
    if (t != Token::Number) ThrowAt(at, CellAt(row, field) + ": expected a number or null, got " + DescribeToken(t));
    out.emplace_back(r.ReadNumber());
  }
}

void ReadRows(JsonReader& r, DataPacket& packet) {
  const Token t = r.Peek();
  if (t != Token::ArrayStart) r.Fail(std::string("'rows' must be an array, got ") + DescribeToken(t));
  r.BeginArray();
  const std::size_t width = packet.fields.size();
  while (r.NextElement()) {
    const std::size_t row = packet.rows.size();
    const Token rt = r.Peek();
    if (rt != Token::ArrayStart) r.Fail("row " + std::to_string(row) + ": expected an array, got " + DescribeToken(rt));
    r.BeginArray();
    Row& values = packet.rows.emplace_back();
    values.reserve(width);
    while (r.NextElement()) {
      if (values.size() == width) {
        // Count the whole row so the message says how long it is.
        std::size_t count = width;
        do {
          r.SkipValue();
          ++count;
        } while (r.NextElement());
        r.Fail(RowLength(row, count, width));
      }
      ReadCell(r, packet.fields[values.size()], row, values);
    }
    if (values.size() != width) r.Fail(RowLength(row, values.size(), width));
  }
}

// --- encoding --------------------------------------------------------------

void CheckFieldsForEncoding(const std::vector<FieldDef>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& f = fields[i];
    if (f.name.empty()) Throw(FieldAt(i) + ": empty name");
    if (!utf8::IsValid(f.name)) Throw(FieldAt(i) + ": name is not valid UTF-8");
    if (f.type == FieldType::String) {
      if (f.size < 1) Throw("field " + Quoted(f.name) + BadSize(std::to_string(f.size)));
    } else if (f.type != FieldType::Float) {
      Throw("field " + Quoted(f.name) + ": unknown field type");
    }
  }
  CheckUniqueNames(fields);
}

void WriteCell(JsonWriter& w, const FieldDef& field, const Value& v, std::size_t row) {
  if (const auto* d = std::get_if<double>(&v)) {
    if (field.type != FieldType::Float) Throw(CellAt(row, field) + ": expected a string or null, got a number");
    if (!w.Number(*d)) Throw(CellAt(row, field) + ": number is not finite");
  } else if (const auto* s = std::get_if<std::string>(&v)) {
    if (field.type != FieldType::String) Throw(CellAt(row, field) + ": expected a number or null, got a string");
    if (!w.String(*s)) Throw(CellAt(row, field) + ": text is not valid UTF-8");
    if (!utf8::FitsIn(*s, static_cast<std::size_t>(field.size))) Throw(CellAt(row, field) + ": " + TooLong(*s, field));
  } else {
    w.Null();
  }
}

}  // namespace

int DataPacket::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (SameFieldName(fields[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

namespace {

// {"fields":[...],"rows":[ for fields already checked.
void WriteHead(JsonWriter& w, const std::vector<FieldDef>& fields) {
  w.Raw(R"({"fields":[)");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDef& f = fields[i];
    if (i) w.Raw(',');
    w.Raw(R"({"name":)");
    (void)w.String(f.name);  // checked by the caller
    w.Raw(R"(,"type":")");
    w.Raw(FieldTypeName(f.type));
    w.Raw('"');
    if (f.type == FieldType::String) {
      w.Raw(R"(,"size":)");
      w.Raw(std::to_string(f.size));
    }
    w.Raw('}');
  }
  w.Raw(R"(],"rows":[)");
}

// The rows and the packet's end, after its head.
void WriteRows(std::string& out, const std::vector<FieldDef>& fields, const std::vector<Row>& rows) {
  JsonWriter w(out);
  const std::size_t width = fields.size();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    const Row& values = rows[row];
    if (values.size() != width) Throw(RowLength(row, values.size(), width));
    const std::size_t before = out.size();
    if (row) w.Raw(',');
    w.Raw('[');
    for (std::size_t k = 0; k < width; ++k) {
      if (k) w.Raw(',');
      WriteCell(w, fields[k], values[k], row);
    }
    w.Raw(']');
    if (row == 0) {
      // Rows of one packet tend to be alike: size the buffer from the first
      // one, with some slack, instead of doubling all the way up.
      const std::size_t rest = rows.size() - 1;
      const std::size_t each = out.size() - before + 1;
      out.reserve(out.size() + rest * each + rest * each / 8 + 2);
    }
  }
  w.Raw("]}");
}

}  // namespace

std::string EncodePacket(const DataPacket& packet) {
  CheckFieldsForEncoding(packet.fields);
  std::string out;
  JsonWriter w(out);
  WriteHead(w, packet.fields);
  WriteRows(out, packet.fields, packet.rows);
  return out;
}

PacketFields::PacketFields(std::vector<FieldDef> fields) : fields_(std::move(fields)) {
  CheckFieldsForEncoding(fields_);
  JsonWriter w(head_);
  WriteHead(w, fields_);
}

std::string EncodePacket(const PacketFields& fields, const std::vector<Row>& rows) {
  std::string out;
  // Room for the head and a few short rows: most answers fit at once.
  out.reserve(fields.Head().size() + 256);
  out.append(fields.Head());
  WriteRows(out, fields.List(), rows);
  return out;
}

DataPacket DecodePacket(std::string_view json) {
  JsonReader r(json);
  r.SetContext(kContext);
  DataPacket packet;
  bool haveFields = false, haveRows = false, rowsFirst = false;
  std::string member;
  r.BeginObject();
  while (r.NextMember(member)) {
    if (member == "fields") {
      if (haveFields) r.Fail("duplicate member 'fields'");
      haveFields = true;
      packet.fields = ReadFields(r);
    } else if (member == "rows") {
      if (haveRows) r.Fail("duplicate member 'rows'");
      haveRows = true;
      if (haveFields) {
        ReadRows(r, packet);
      } else {
        // Rows cannot be checked before the fields are known: check that
        // they are well-formed now and read them again below.
        rowsFirst = true;
        r.SkipValue();
      }
    } else {
      r.Fail("unknown member " + Quoted(member));
    }
  }
  r.ExpectEnd();
  if (!haveFields) Throw("missing member 'fields'");
  if (!haveRows) Throw("missing member 'rows'");
  if (rowsFirst) {
    JsonReader again(json);
    again.SetContext(kContext);
    again.BeginObject();
    while (again.NextMember(member) && member != "rows") again.SkipValue();
    ReadRows(again, packet);
  }
  return packet;
}

}  // namespace packet
