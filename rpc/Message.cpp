#include "rpc/Message.h"

#include <optional>

#include "packet/JsonReader.h"
#include "packet/JsonWriter.h"
#include "rpc/MessageDetail.h"

namespace rpc {

using packet::JsonReader;
using packet::JsonWriter;
using Token = JsonReader::Token;
using detail::Quoted;

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The token that starts json when it is exactly one JSON value (white
// space around allowed); otherwise nullopt, with the reason in *why.
std::optional<Token> JsonKind(std::string_view json, std::string* why) {
  try {
    JsonReader r(json);
    const Token t = r.Peek();
    r.SkipValue();
    r.ExpectEnd();
    return t;
  } catch (const packet::PacketError& e) {
    *why = e.what();
    return std::nullopt;
  }
}

// As JsonKind, throwing std::invalid_argument naming `what`.
Token CheckJson(std::string_view json, std::string_view what) {
  std::string why;
  const std::optional<Token> t = JsonKind(json, &why);
  if (!t) throw std::invalid_argument(std::string(what) + " is not valid JSON: " + why);
  return *t;
}

void CheckId(std::string_view idJson, bool allowNull) {
  const Token t = CheckJson(idJson, "request id");
  if (t == Token::Number || t == Token::String || (allowNull && t == Token::Null)) return;
  throw std::invalid_argument(std::string("request id must be a number or a string") +
                              (allowNull ? " or null" : "") + ", got " + std::string(idJson));
}

void WriteString(JsonWriter& w, std::string_view s, std::string_view what) {
  if (!w.String(s)) throw std::invalid_argument(std::string(what) + " is not valid UTF-8");
}

// name() describes the argument for a message; called only on failure, so
// that the hot path builds no text.
template <class Name>
void WriteParam(JsonWriter& w, const Param& p, const Name& name) {
  auto fail = [&](const std::string& why) { throw std::invalid_argument(name() + why); };
  switch (p.kind) {
    case Param::Kind::Null: w.Null(); return;
    case Param::Kind::Bool: w.Raw(p.boolean ? "true" : "false"); return;
    case Param::Kind::Number:
      if (!w.Number(p.number)) fail(" is not a finite number");
      return;
    case Param::Kind::String:
      if (!w.String(p.text)) fail(" is not valid UTF-8");
      return;
    case Param::Kind::Object:
    case Param::Kind::Array: {
      const bool object = p.kind == Param::Kind::Object;
      std::string why;
      const std::optional<Token> t = JsonKind(p.text, &why);
      if (!t) fail(" is not valid JSON: " + why);
      if (*t != (object ? Token::ObjectStart : Token::ArrayStart))
        fail(object ? " must be a JSON object" : " must be a JSON array");
      w.Raw(Trim(p.text));
      return;
    }
  }
  fail(" has an unknown kind");
}

void WriteHead(std::string& out, std::string_view idJson) {
  out.append(R"({"jsonrpc":"2.0","id":)");
  out.append(Trim(idJson));
}

// {"jsonrpc":"2.0","id":..,"method":"..","params":  with room for the rest.
std::string RequestHead(std::string_view idJson, std::string_view method, std::size_t rest) {
  CheckId(idJson, false);
  std::string out;
  out.reserve(48 + idJson.size() + method.size() + rest);
  WriteHead(out, idJson);
  out.append(R"(,"method":)");
  JsonWriter w(out);
  WriteString(w, method, "method name");
  out.append(R"(,"params":)");
  return out;
}

}  // namespace

std::string detail::Quoted(std::string_view name) {
  constexpr std::size_t kMax = 40;
  std::string out = "'";
  if (name.size() <= kMax) {
    out.append(name);
  } else {
    std::size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    out.append(name.substr(0, cut));
    out.append("...");
  }
  out.push_back('\'');
  return out;
}

Param Param::Json(std::string json) {
  Param p;
  const std::string_view t = Trim(json);
  p.kind = !t.empty() && t.front() == '[' ? Kind::Array : Kind::Object;
  p.text = std::move(json);
  return p;
}

std::string EncodeRequest(std::string_view idJson, std::string_view method, const std::vector<Param>& params) {
  std::size_t size = 0;
  for (const Param& p : params) size += p.text.size() + 8;
  std::string out = RequestHead(idJson, method, size);
  JsonWriter w(out);
  out.push_back('[');
  for (std::size_t i = 0; i < params.size(); ++i) {
    if (i) out.push_back(',');
    WriteParam(w, params[i], [i] { return "argument " + std::to_string(i + 1); });
  }
  out.append("]}");
  return out;
}

std::string EncodeRequest(std::string_view idJson, std::string_view method,
                          const std::vector<std::pair<std::string, Param>>& named) {
  std::size_t size = 0;
  for (const auto& [name, p] : named) size += name.size() + p.text.size() + 12;
  std::string out = RequestHead(idJson, method, size);
  JsonWriter w(out);
  out.push_back('{');
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (i) out.push_back(',');
    const std::string& name = named[i].first;
    if (!w.String(name)) throw std::invalid_argument("argument name " + Quoted(name) + " is not valid UTF-8");
    out.push_back(':');
    WriteParam(w, named[i].second, [&name] { return "argument " + Quoted(name); });
  }
  out.append("}}");
  return out;
}

std::string EncodeResult(std::string_view idJson, const Reply& reply) {
  CheckId(idJson, true);
  if (!reply.wellFormed) CheckJson(reply.resultJson, "result");
  const std::string_view result = Trim(reply.resultJson);
  const std::string_view byref = Trim(reply.byrefJson);
  if (!reply.wellFormed && !byref.empty() && CheckJson(byref, "byref") != Token::ArrayStart)
    throw std::invalid_argument("byref must be a JSON array");
  std::string out;
  out.reserve(48 + idJson.size() + result.size() + byref.size());
  WriteHead(out, idJson);
  out.append(R"(,"result":)");
  out.append(result);
  if (!byref.empty()) {
    out.append(R"(,"byref":)");
    out.append(byref);
  }
  out.push_back('}');
  return out;
}

std::string EncodeError(std::string_view idJson, const RpcError& error) {
  CheckId(idJson, true);
  const std::string_view data = Trim(error.DataJson());
  if (!data.empty()) CheckJson(data, "error data");
  std::string out;
  out.reserve(64 + idJson.size() + data.size() + std::char_traits<char>::length(error.what()));
  JsonWriter w(out);
  WriteHead(out, idJson);
  out.append(R"(,"error":{"code":)");
  out.append(std::to_string(error.Code()));
  out.append(R"(,"message":)");
  WriteString(w, error.what(), "error message");
  if (!data.empty()) {
    out.append(R"(,"data":)");
    out.append(data);
  }
  out.append("}}");
  return out;
}

}  // namespace rpc
