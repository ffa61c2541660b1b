#include "rpc/Dispatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

using rpc::Dispatcher;
using rpc::Param;
using rpc::Reply;
using rpc::Request;
using rpc::RpcError;
using rpc::Session;
using testing::HasSubstr;

namespace {

constexpr const char* kServer = "Ate11600.rdmPropPass";

std::string ConnectJson(int id, std::string_view server = kServer, std::string_view token = "secret",
                        std::string_view user = "ana") {
  return rpc::EncodeRequest(std::to_string(id), "Connect",
                            std::vector<std::pair<std::string, Param>>{{"server", Param::String(std::string(server))},
                                                                       {"user", Param::String(std::string(user))},
                                                                       {"token", Param::String(std::string(token))}});
}

std::string CallJson(int id, std::string_view method, const std::vector<Param>& params = {}) {
  return rpc::EncodeRequest(std::to_string(id), method, params);
}

class DispatcherTest : public testing::Test {
 protected:
  DispatcherTest() : d_(kServer, "secret") {
    d_.Add("Echo", [](const Request& r, Session& s) {
      Reply reply;
      reply.resultJson = rpc::EncodeRequest("0", r.method, r.params);  // any JSON will do
      reply.byrefJson = "[\"" + s.user + "\"]";
      return reply;
    });
    d_.Add("Refuse", [](const Request&, Session&) -> Reply {
      throw RpcError(rpc::kConflict, "Registro alterado por outro usu\u00e1rio", R"({"key":["0001"]})");
    });
    d_.Add("Crash", [](const Request&, Session&) -> Reply { throw std::runtime_error("disk on fire"); });
    d_.Add("CrashOdd", [](const Request&, Session&) -> Reply { throw 42; });
    d_.Add("CrashUtf8", [](const Request&, Session&) -> Reply { throw std::runtime_error("bad \xFF byte"); });
    d_.Add("BadResult", [](const Request&, Session&) { return Reply{"{\"unclosed\":", ""}; });
    d_.Add("Count", [](const Request& r, Session&) {
      rpc::ExpectParamCount(r, 4, 4);
      rpc::StringParam(r, 0);
      rpc::NumberParam(r, 3);
      return Reply{};
    });
  }

  rpc::Response Send(const std::string& json, bool* close = nullptr) {
    const Dispatcher::Outcome out = d_.Handle(json, session_);
    if (close) *close = out.close;
    return rpc::DecodeResponse(out.response);
  }

  void Connect() {
    bool close = true;
    const rpc::Response r = Send(ConnectJson(1), &close);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_FALSE(close);
  }

  Dispatcher d_;
  Session session_;
};

}  // namespace

TEST_F(DispatcherTest, ConnectThenCall) {
  session_.peer = "127.0.0.1:5555";
  bool close = true;
  rpc::Response r = Send(ConnectJson(1), &close);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.idJson, "1");
  EXPECT_FALSE(close);
  EXPECT_TRUE(session_.connected);
  EXPECT_EQ(session_.user, "ana");

  r = Send(CallJson(2, "Echo", {Param::String("x")}), &close);
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(close);
  EXPECT_EQ(r.idJson, "2");
  EXPECT_EQ(r.reply.resultJson, R"({"jsonrpc":"2.0","id":0,"method":"Echo","params":["x"]})");
  EXPECT_EQ(r.reply.byrefJson, R"(["ana"])");
}

TEST_F(DispatcherTest, WrongServerNameIsRefusedAndCloses) {
  bool close = false;
  const rpc::Response r = Send(ConnectJson(1, "Other.Server"), &close);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.idJson, "1");
  EXPECT_THAT(r.message, HasSubstr("Other.Server"));
  EXPECT_TRUE(close);
  EXPECT_FALSE(session_.connected);
}

TEST_F(DispatcherTest, WrongTokenIsRefusedAndCloses) {
  bool close = false;
  for (const char* token : {"secreT", "secret2", "", "s"}) {
    const rpc::Response r = Send(ConnectJson(1, kServer, token), &close);
    EXPECT_FALSE(r.ok);
    EXPECT_THAT(r.message, HasSubstr("wrong token"));
    EXPECT_TRUE(close);
    EXPECT_FALSE(session_.connected);
  }
}

TEST_F(DispatcherTest, MalformedConnectIsRefusedAndCloses) {
  for (const std::string& json : {
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":["Ate11600.rdmPropPass","ana","secret"]})"),
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect"})"),
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","token":"secret"}})"),
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"a"}})"),
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":1,"user":"a","token":"secret"}})"),
           std::string(R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"a","token":"secret","x":1}})"),
       }) {
    bool close = false;
    const rpc::Response r = Send(json, &close);
    EXPECT_FALSE(r.ok) << json;
    EXPECT_EQ(r.code, rpc::kInvalidParams) << json;
    EXPECT_TRUE(close) << json;
    EXPECT_FALSE(session_.connected);
  }
}

TEST_F(DispatcherTest, NoTokenConfiguredAcceptsAnyToken) {
  Dispatcher open(kServer, "");
  Session s;
  EXPECT_FALSE(open.Handle(ConnectJson(1, kServer, "whatever"), s).close);
  EXPECT_TRUE(s.connected);
  Session t;
  const auto out = open.Handle(
      R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"Ate11600.rdmPropPass","user":"u"}})", t);
  EXPECT_TRUE(rpc::DecodeResponse(out.response).ok);
  EXPECT_TRUE(t.connected);
}

TEST_F(DispatcherTest, AnyMethodBeforeConnectIsRefusedAndCloses) {
  bool close = false;
  rpc::Response r = Send(CallJson(5, "Echo"), &close);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.idJson, "5");
  EXPECT_THAT(r.message, HasSubstr("Connect"));
  EXPECT_TRUE(close);
  // unknown methods too: the handshake rule comes first
  r = Send(CallJson(6, "NoSuchMethod"), &close);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(close);
}

TEST_F(DispatcherTest, ConnectTwiceIsRefusedButKeepsTheConnection) {
  Connect();
  bool close = true;
  const rpc::Response r = Send(ConnectJson(2), &close);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, rpc::kInvalidRequest);
  EXPECT_THAT(r.message, HasSubstr("already"));
  EXPECT_FALSE(close);
  EXPECT_TRUE(session_.connected);
  EXPECT_TRUE(Send(CallJson(3, "Echo")).ok);
}

TEST_F(DispatcherTest, UnknownMethod) {
  Connect();
  bool close = true;
  const rpc::Response r = Send(CallJson(2, "GetNothing"), &close);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, rpc::kMethodNotFound);
  EXPECT_THAT(r.message, HasSubstr("GetNothing"));
  EXPECT_FALSE(close);
}

TEST_F(DispatcherTest, HandlerErrorsBecomeErrorResponses) {
  Connect();
  rpc::Response r = Send(CallJson(2, "Refuse"));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.idJson, "2");
  EXPECT_EQ(r.code, rpc::kConflict);
  EXPECT_EQ(r.message, "Registro alterado por outro usu\u00e1rio");
  EXPECT_EQ(r.dataJson, R"({"key":["0001"]})");

  // An unexpected failure's text may name internals: the caller gets a
  // reference to the log line instead.
  for (const char* method : {"Crash", "CrashOdd", "CrashUtf8", "BadResult"}) {
    r = Send(CallJson(3, method));
    EXPECT_EQ(r.code, rpc::kInternalError) << method;
    EXPECT_EQ(r.idJson, "3");
    EXPECT_THAT(r.message, HasSubstr(std::string(method) + ": internal error, reference "));
    EXPECT_THAT(r.message, Not(HasSubstr("disk on fire")));
    const std::string ref = r.message.substr(r.message.rfind(' ') + 1);
    EXPECT_EQ(ref.size(), 8u);
    EXPECT_EQ(r.dataJson, R"({"ref":")" + ref + R"("})");
  }
}

TEST_F(DispatcherTest, MalformedJsonAnswersParseErrorWithNullIdAndKeepsOpen) {
  for (bool connected : {false, true}) {
    if (connected) Connect();
    bool close = true;
    rpc::Response r = Send(R"({"jsonrpc":"2.0","id":9,"method":)", &close);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.code, rpc::kParseError);
    EXPECT_EQ(r.idJson, "null");
    EXPECT_FALSE(close);
    r = Send("\xFF\xFE garbage", &close);
    EXPECT_EQ(r.code, rpc::kParseError);
    EXPECT_FALSE(close);
  }
}

TEST_F(DispatcherTest, InvalidRequestKeepsItsIdAndTheConnection) {
  Connect();
  bool close = true;
  const rpc::Response r = Send(R"({"jsonrpc":"2.0","id":"abc","method":"Echo","params":7})", &close);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, rpc::kInvalidRequest);
  EXPECT_EQ(r.idJson, "\"abc\"");
  EXPECT_FALSE(close);
  EXPECT_TRUE(Send(CallJson(2, "Echo")).ok);
}

TEST_F(DispatcherTest, AddRefusesBadNames) {
  auto h = [](const Request&, Session&) { return Reply{}; };
  EXPECT_THROW(d_.Add("", h), std::invalid_argument);
  EXPECT_THROW(d_.Add("Connect", h), std::invalid_argument);
  EXPECT_THROW(d_.Add("Echo", h), std::invalid_argument);
  EXPECT_THROW(d_.Add("Empty", Dispatcher::Handler{}), std::invalid_argument);
  EXPECT_EQ(d_.ServerName(), kServer);
}

TEST_F(DispatcherTest, ParamErrorsReachTheClient) {
  Connect();
  rpc::Response r = Send(CallJson(2, "Count", {Param::String("a")}));
  EXPECT_EQ(r.code, rpc::kInvalidParams);
  EXPECT_EQ(r.message, "Count: expected 4 arguments, got 1");
  r = Send(CallJson(3, "Count", {Param::String("a"), Param::Null(), Param::Null(), Param::String("1")}));
  EXPECT_EQ(r.code, rpc::kInvalidParams);
  EXPECT_EQ(r.message, "Count: argument 4 must be a number");
  EXPECT_TRUE(Send(CallJson(4, "Count", {Param::String("a"), Param::Null(), Param::Null(), Param::Number(1)})).ok);
}

// Whatever arrives, Handle answers with a well-formed response.
TEST_F(DispatcherTest, NeverThrowsOnGarbage) {
  std::mt19937 rng(1234);
  const std::vector<std::string> seeds = {
      ConnectJson(1), CallJson(2, "Echo", {Param::String("x"), Param::Json(R"({"changes":[]})")}),
      CallJson(3, "Crash"), R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{}})", "[]", "{}", ""};
  const std::string alphabet = "{}[]\":,0123456789.eE-+ \\u\"nulltruefalse\x01\xFF\xC3\xA7";
  for (int round = 0; round < 20000; ++round) {
    std::string s = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int k = 0; k < edits; ++k) {
      const std::size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
      switch (rng() % 3) {
        case 0: s.insert(at, 1, alphabet[rng() % alphabet.size()]); break;
        case 1:
          if (at < s.size()) s.erase(at, 1);
          break;
        default:
          if (at < s.size()) s[at] = alphabet[rng() % alphabet.size()];
      }
    }
    Session session;
    if (round % 2) session.connected = true;
    Dispatcher::Outcome out;
    ASSERT_NO_THROW(out = d_.Handle(s, session)) << s;
    ASSERT_NO_THROW(rpc::DecodeResponse(out.response)) << s << " -> " << out.response;
  }
}

// --- param helpers ---------------------------------------------------------

namespace {

Request MakeRequest(std::vector<Param> params) {
  Request r;
  r.idJson = "1";
  r.method = "GetFindProp";
  r.params = std::move(params);
  return r;
}

std::string ParamError(const std::function<void()>& f) {
  try {
    f();
  } catch (const RpcError& e) {
    EXPECT_EQ(e.Code(), rpc::kInvalidParams);
    return e.what();
  }
  return "<no RpcError>";
}

}  // namespace

TEST(ParamHelpers, Count) {
  const Request r = MakeRequest({Param::String("a"), Param::String("b")});
  EXPECT_NO_THROW(rpc::ExpectParamCount(r, 2, 2));
  EXPECT_NO_THROW(rpc::ExpectParamCount(r, 1, 7));
  EXPECT_EQ(ParamError([&] { rpc::ExpectParamCount(r, 3, 3); }), "GetFindProp: expected 3 arguments, got 2");
  EXPECT_EQ(ParamError([&] { rpc::ExpectParamCount(r, 1, 1); }), "GetFindProp: expected 1 argument, got 2");
  EXPECT_EQ(ParamError([&] { rpc::ExpectParamCount(r, 5, 7); }), "GetFindProp: expected 5 to 7 arguments, got 2");
  EXPECT_EQ(ParamError([&] { rpc::ExpectParamCount(r, 3, std::numeric_limits<std::size_t>::max()); }),
            "GetFindProp: expected at least 3 arguments, got 2");
  Request named = r;
  named.paramsByName = true;
  named.params.clear();
  EXPECT_THAT(ParamError([&] { rpc::ExpectParamCount(named, 0, 2); }), HasSubstr("must be given as an array"));
}

TEST(ParamHelpers, TypedAccess) {
  const Request r = MakeRequest({Param::String("0001"), Param::Number(12.5), Param::Json(R"({"changes":[]})"),
                                 Param::Null(), Param::Json("[1]")});
  EXPECT_EQ(rpc::StringParam(r, 0), "0001");
  EXPECT_EQ(rpc::NumberParam(r, 1), 12.5);
  EXPECT_EQ(rpc::ObjectParam(r, 2), R"({"changes":[]})");

  EXPECT_EQ(ParamError([&] { rpc::NumberParam(r, 0); }), "GetFindProp: argument 1 must be a number");
  EXPECT_EQ(ParamError([&] { rpc::StringParam(r, 1); }), "GetFindProp: argument 2 must be a string");
  EXPECT_EQ(ParamError([&] { rpc::StringParam(r, 3); }), "GetFindProp: argument 4 must be a string");
  EXPECT_EQ(ParamError([&] { rpc::ObjectParam(r, 4); }), "GetFindProp: argument 5 must be an object");
  EXPECT_EQ(ParamError([&] { rpc::ObjectParam(r, 0); }), "GetFindProp: argument 1 must be an object");
  EXPECT_EQ(ParamError([&] { rpc::StringParam(r, 5); }), "GetFindProp: argument 6 is missing");
  EXPECT_EQ(ParamError([&] { rpc::NumberParam(r, 99); }), "GetFindProp: argument 100 is missing");
}
