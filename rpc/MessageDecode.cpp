// Reading requests and responses: the decoding half of Message.h.
#include "rpc/Message.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

#include "packet/JsonReader.h"
#include "rpc/MessageDetail.h"

namespace rpc {

using detail::Quoted;
using packet::JsonReader;
using Token = JsonReader::Token;

namespace {

constexpr std::string_view kVersion = "2.0";

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

// The value of a JSON number known to be well formed; false when a double
// cannot hold it (it would become infinite or 0), which no answer could
// carry back and no column could store.
bool ReadDouble(std::string_view text, double* value) {
  const auto res = std::from_chars(text.data(), text.data() + text.size(), *value);
  return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

// An id every client reads back as it was sent: a string, or an integer
// (no fraction, no exponent) within 64 bits.
bool IsIntegerId(std::string_view text) {
  std::int64_t value = 0;
  const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
  return res.ec == std::errc() && res.ptr == text.data() + text.size();
}

// The first reason found for a refusal; the reading goes on to the end so
// that malformed JSON still wins (-32700).
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
  explicit RequestReader(std::string_view json) : json_(json), r_(json) { r_.SetContext("request"); }

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
    if (argumentProblem_)
      throw RpcError(kInvalidParams, req_.method + ": " + argumentProblem_.text, IdData(req_.idJson));
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

  // A refused id is not kept: the answer then carries null.
  void Id(Token t) {
    if (t == Token::String) {
      req_.idJson = r_.SkipValue();
      return;
    }
    haveId_ = false;  // reported as below, not as missing
    if (t != Token::Number) return Wrong("\"id\" must be an integer or a string", t);
    const std::string_view text = r_.SkipValue();
    if (!IsIntegerId(text)) {
      problem_.Set("\"id\" must be an integer within 64 bits or a string, got " + Quoted(text));
      return;
    }
    req_.idJson = text;
    haveId_ = true;
  }

  void Method(Token t) {
    if (t != Token::String) return Wrong("\"method\" must be a string", t);
    req_.method = r_.ReadString();
    if (req_.method.empty()) problem_.Set("\"method\" is empty");
  }

  void Params(Token t) {
    if (t == Token::ArrayStart) {
      r_.BeginArray();
      req_.params.reserve(8);  // what most calls take, in one allocation
      for (std::size_t i = 0; r_.NextElement(); ++i) {
        if (i == kMaxArguments) TooMany();
        if (i >= kMaxArguments) r_.SkipValue();
        else req_.params.push_back(Argument([i] { return "argument " + std::to_string(i + 1); }));
      }
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
    for (std::size_t i = 0; r_.NextMember(key); ++i) {
      if (i == kMaxArguments) TooMany();
      if (i >= kMaxArguments) {
        r_.SkipValue();
        continue;
      }
      Param p = Argument([&key] { return "argument " + Quoted(key); });
      req_.named.emplace_back(std::move(key), std::move(p));
    }
    // Sorted, so that the check costs n log n.
    std::vector<std::string_view> names;
    names.reserve(req_.named.size());
    for (const auto& member : req_.named) names.push_back(member.first);
    std::sort(names.begin(), names.end());
    if (auto dup = std::adjacent_find(names.begin(), names.end()); dup != names.end())
      problem_.Set("duplicate argument " + Quoted(*dup));
  }

  void TooMany() {
    argumentProblem_.Set("more than " + std::to_string(kMaxArguments) + " arguments");
  }

  // Reads one argument of any kind; name() names it in a message.
  template <class Name>
  Param Argument(const Name& name) {
    switch (const Token t = r_.Peek()) {
      case Token::Null: r_.ReadNull(); return Param::Null();
      case Token::True:
      case Token::False: return Param::Bool(r_.ReadBool());
      case Token::String: return Param::String(r_.ReadString());
      case Token::Number: {
        double v = 0;
        if (!ReadDouble(r_.SkipValue(), &v)) argumentProblem_.Set(name() + " is out of the range of a double");
        return Param::Number(v);
      }
      case Token::ObjectStart:
      case Token::ArrayStart: {
        Param p;
        p.kind = t == Token::ObjectStart ? Param::Kind::Object : Param::Kind::Array;
        p.text = Structure(name);
        return p;
      }
      default: r_.SkipValue();  // throws with the reader's message
    }
    r_.Fail("expected a value");
  }

  // The text of an object or array argument, read whole to check what no
  // handler should meet: a number a double cannot hold, deep nesting.
  // Nothing is built per element.
  template <class Name>
  std::string Structure(const Name& name) {
    const std::size_t start = r_.Offset();  // Peek left the reader on the bracket
    std::string open;                       // brackets of the argument still open
    std::string member;
    bool outOfRange = false, tooDeep = false;
    do {
      switch (r_.Peek()) {
        case Token::ObjectStart: r_.BeginObject(); open.push_back('{'); break;
        case Token::ArrayStart: r_.BeginArray(); open.push_back('['); break;
        case Token::Number: {
          double v = 0;
          if (!ReadDouble(r_.SkipValue(), &v)) outOfRange = true;
          break;
        }
        default: r_.SkipValue();  // a string or a literal; anything else throws
      }
      tooDeep = tooDeep || open.size() > kMaxArgumentDepth;
      while (!open.empty() && !(open.back() == '{' ? r_.NextMember(member) : r_.NextElement())) open.pop_back();
    } while (!open.empty());
    if (tooDeep) argumentProblem_.Set(name() + " nests deeper than " + std::to_string(kMaxArgumentDepth) + " levels");
    if (outOfRange) argumentProblem_.Set(name() + " holds a number out of the range of a double");
    return std::string(json_.substr(start, r_.Offset() - start));
  }

  std::string_view json_;
  JsonReader r_;
  Request req_;
  Problem problem_;          // not a request: kInvalidRequest
  Problem argumentProblem_;  // a request, but its arguments are refused: kInvalidParams
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
