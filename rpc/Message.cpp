#include "rpc/Message.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "packet/JsonReader.h"
#include "packet/JsonWriter.h"

namespace rpc {

using packet::JsonReader;
using packet::JsonWriter;
using Token = JsonReader::Token;

namespace {

constexpr std::string_view kVersion = "2.0";

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// A member name for a message, cut so that hostile input stays short.
std::string Quoted(std::string_view name) {
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

// --- decoding ---------------------------------------------------------------

// Reads one argument of any kind.
Param ReadParam(JsonReader& r) {
  switch (r.Peek()) {
    case Token::Null: r.ReadNull(); return Param::Null();
    case Token::True:
    case Token::False: return Param::Bool(r.ReadBool());
    case Token::Number: return Param::Number(r.ReadNumber());
    case Token::String: return Param::String(r.ReadString());
    case Token::ObjectStart: {
      Param p;
      p.kind = Param::Kind::Object;
      p.text = r.SkipValue();
      return p;
    }
    case Token::ArrayStart: {
      Param p;
      p.kind = Param::Kind::Array;
      p.text = r.SkipValue();
      return p;
    }
    default: r.SkipValue();  // throws with the reader's message
  }
  r.Fail("expected a value");
}

const char* Describe(Token t) {
  switch (t) {
    case Token::ObjectStart: return "an object";
    case Token::ArrayStart: return "an array";
    case Token::String: return "a string";
    case Token::Number: return "a number";
    case Token::True:
    case Token::False: return "a boolean";
    case Token::Null: return "null";
    default: return "something else";
  }
}

// Collects the first reason a well-formed JSON text is not a request; the
// reading goes on to the end so that malformed JSON still wins (-32700).
struct Problem {
  std::string text;
  void Set(std::string what) {
    if (text.empty()) text = std::move(what);
  }
  explicit operator bool() const { return !text.empty(); }
};

std::string IdData(const std::string& idJson) {
  if (idJson.empty()) return {};
  return "{\"id\":" + idJson + "}";
}

// Reads a request in one pass. A member that is JSON but not what a request
// holds is noted as the problem and skipped, so that text that is not JSON
// at all is still reported as such (-32700), whatever came before.
class RequestReader {
 public:
  explicit RequestReader(std::string_view json) : r_(json) { r_.SetContext("request"); }

  Request Read() {
    try {
      const Token top = r_.Peek();
      if (top != Token::ObjectStart) {
        r_.SkipValue();
        r_.ExpectEnd();
        throw RpcError(kInvalidRequest, std::string("invalid request: expected an object, got ") + Describe(top));
      }
      r_.BeginObject();
      std::string name;
      while (r_.NextMember(name)) Member(name);
      r_.ExpectEnd();
    } catch (const packet::PacketError& e) {
      throw RpcError(kParseError, std::string("parse error: ") + e.what(), IdData(req_.idJson));
    }
    if (!haveVersion_) problem_.Set("\"jsonrpc\" is missing");
    if (!haveId_) problem_.Set("\"id\" is missing");
    if (!haveMethod_) problem_.Set("\"method\" is missing");
    if (problem_) throw RpcError(kInvalidRequest, "invalid request: " + problem_.text, IdData(req_.idJson));
    return std::move(req_);
  }

 private:
  void Member(const std::string& name) {
    bool* seen = name == "jsonrpc" ? &haveVersion_
                 : name == "id"    ? &haveId_
                 : name == "method" ? &haveMethod_
                 : name == "params" ? &haveParams_
                                    : nullptr;
    if (!seen || *seen) {
      problem_.Set((seen ? "duplicate member " : "unknown member ") + Quoted(name));
      r_.SkipValue();
      return;
    }
    *seen = true;
    const Token t = r_.Peek();
    if (seen == &haveVersion_) Version(t);
    else if (seen == &haveId_) Id(t);
    else if (seen == &haveMethod_) Method(t);
    else Params(t);
  }

  // Notes the problem and skips the value.
  void Wrong(const std::string& what, Token got) {
    problem_.Set(what + ", got " + Describe(got));
    r_.SkipValue();
  }

  void Version(Token t) {
    if (t != Token::String) return Wrong("\"jsonrpc\" must be the string \"2.0\"", t);
    if (r_.ReadString() != kVersion) problem_.Set("\"jsonrpc\" must be \"2.0\"");
  }

  void Id(Token t) {
    if (t == Token::Number || t == Token::String) {
      req_.idJson = r_.SkipValue();
      return;
    }
    haveId_ = false;  // reported as below, not as missing
    Wrong("\"id\" must be a number or a string", t);
  }

  void Method(Token t) {
    if (t != Token::String) return Wrong("\"method\" must be a string", t);
    req_.method = r_.ReadString();
    if (req_.method.empty()) problem_.Set("\"method\" is empty");
  }

  void Params(Token t) {
    if (t == Token::ArrayStart) {
      r_.BeginArray();
      while (r_.NextElement()) req_.params.push_back(ReadParam(r_));
    } else if (t == Token::ObjectStart) {
      NamedParams();
    } else {
      Wrong("\"params\" must be an array or an object", t);
    }
  }

  void NamedParams() {
    req_.paramsByName = true;
    r_.BeginObject();
    std::string key;
    while (r_.NextMember(key)) {
      Param p = ReadParam(r_);
      req_.named.emplace_back(std::move(key), std::move(p));
    }
    // Sorted, so that a hostile request with many names costs n log n.
    std::vector<std::string_view> names;
    names.reserve(req_.named.size());
    for (const auto& member : req_.named) names.push_back(member.first);
    std::sort(names.begin(), names.end());
    if (auto dup = std::adjacent_find(names.begin(), names.end()); dup != names.end())
      problem_.Set("duplicate argument " + Quoted(*dup));
  }

  JsonReader r_;
  Request req_;
  Problem problem_;
  bool haveVersion_ = false, haveId_ = false, haveMethod_ = false, haveParams_ = false;
};

// Reads a response; anything unexpected is a PacketError.
class ResponseReader {
 public:
  explicit ResponseReader(std::string_view json) : r_(json) { r_.SetContext("response"); }

  Response Read() {
    bool haveVersion = false, haveId = false, haveResult = false, haveError = false, haveByref = false;
    r_.BeginObject();
    std::string name;
    while (r_.NextMember(name)) {
      if (name == "jsonrpc") {
        Once(haveVersion, name);
        if (r_.ReadString() != kVersion) r_.Fail("\"jsonrpc\" must be \"2.0\"");
      } else if (name == "id") {
        Once(haveId, name);
        const Token t = r_.Peek();
        if (t != Token::Number && t != Token::String && t != Token::Null)
          r_.Fail(std::string("\"id\" must be a number, a string or null, got ") + Describe(t));
        res_.idJson = r_.SkipValue();
      } else if (name == "result") {
        Once(haveResult, name);
        res_.reply.resultJson = r_.SkipValue();
      } else if (name == "byref") {
        Once(haveByref, name);
        if (r_.Peek() != Token::ArrayStart) r_.Fail("\"byref\" must be an array");
        res_.reply.byrefJson = r_.SkipValue();
      } else if (name == "error") {
        Once(haveError, name);
        Error();
      } else {
        r_.Fail("unknown member " + Quoted(name));
      }
    }
    r_.ExpectEnd();
    if (!haveVersion) r_.Fail("\"jsonrpc\" is missing");
    if (!haveId) r_.Fail("\"id\" is missing");
    if (haveResult == haveError) r_.Fail("exactly one of \"result\" and \"error\" must be present");
    if (haveByref && !haveResult) r_.Fail("\"byref\" without \"result\"");
    res_.ok = haveResult;
    return std::move(res_);
  }

 private:
  void Once(bool& seen, const std::string& name) {
    if (seen) r_.Fail("duplicate member " + Quoted(name));
    seen = true;
  }

  void Error() {
    bool haveCode = false, haveMessage = false, haveData = false;
    r_.BeginObject();
    std::string member;
    while (r_.NextMember(member)) {
      if (member == "code") {
        Once(haveCode, member);
        const double code = r_.ReadNumber();
        if (code != std::floor(code) || code < std::numeric_limits<int>::min() ||
            code > std::numeric_limits<int>::max())
          r_.Fail("error code must be an integer");
        res_.code = static_cast<int>(code);
      } else if (member == "message") {
        Once(haveMessage, member);
        res_.message = r_.ReadString();
      } else if (member == "data") {
        Once(haveData, member);
        res_.dataJson = r_.SkipValue();
      } else {
        r_.Fail("unknown member of \"error\": " + Quoted(member));
      }
    }
    if (!haveCode || !haveMessage) r_.Fail("\"error\" needs \"code\" and \"message\"");
  }

  JsonReader r_;
  Response res_;
};

}  // namespace

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
  CheckJson(reply.resultJson, "result");
  const std::string_view result = Trim(reply.resultJson);
  const std::string_view byref = Trim(reply.byrefJson);
  if (!byref.empty() && CheckJson(byref, "byref") != Token::ArrayStart)
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

Request DecodeRequest(std::string_view json) {
  RequestReader reader(json);
  return reader.Read();
}

Response DecodeResponse(std::string_view json) {
  try {
    ResponseReader reader(json);
    return reader.Read();
  } catch (const packet::PacketError& e) {
    throw RpcError(kParseError, std::string("malformed response: ") + e.what());
  }
}

}  // namespace rpc
