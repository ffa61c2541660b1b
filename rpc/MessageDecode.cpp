// Reading requests and responses: the decoding half of Message.h.
#include "rpc/Message.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "packet/JsonReader.h"
#include "rpc/MessageDetail.h"

namespace rpc {

using detail::Quoted;
using packet::JsonReader;
using Token = JsonReader::Token;

namespace {

constexpr std::string_view kVersion = "2.0";

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
