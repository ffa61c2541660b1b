#include "rpc/Message.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using rpc::Param;
using rpc::Reply;
using rpc::RpcError;
using testing::HasSubstr;

namespace {

// The error DecodeRequest raises for json; code 0 when it raises none.
RpcError DecodeFailure(std::string_view json) {
  try {
    rpc::DecodeRequest(json);
  } catch (const RpcError& e) {
    return e;
  }
  return RpcError(0, "<no error>");
}

}  // namespace

TEST(EncodeRequest, PositionalArgumentsOfEveryKind) {
  const std::string json = rpc::EncodeRequest(
      "7", "GetCompanhia",
      {Param::String("XY"), Param::String(""), Param::Number(20), Param::Number(-1.5), Param::Null(),
       Param::Bool(true), Param::Json(R"({"changes":[]})"), Param::Json("[1,2]")});
  EXPECT_EQ(json,
            R"({"jsonrpc":"2.0","id":7,"method":"GetCompanhia","params":["XY","",20.0,-1.5,null,true,{"changes":[]},[1,2]]})");
}

TEST(EncodeRequest, NoArgumentsAndNamedArguments) {
  EXPECT_EQ(rpc::EncodeRequest("1", "Ping", std::vector<Param>{}),
            R"({"jsonrpc":"2.0","id":1,"method":"Ping","params":[]})");
  EXPECT_EQ(rpc::EncodeRequest("1", "Connect",
                               std::vector<std::pair<std::string, Param>>{{"server", Param::String("S")},
                                                                          {"user", Param::String("u\"q")},
                                                                          {"token", Param::String("t")}}),
            R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"S","user":"u\"q","token":"t"}})");
  EXPECT_EQ(rpc::EncodeRequest("\"abc\"", "M", std::vector<Param>{}),
            R"({"jsonrpc":"2.0","id":"abc","method":"M","params":[]})");
}

TEST(EncodeRequest, RefusesWhatIsNotValid) {
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::String("\xFF")}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "\xC3", std::vector<Param>{}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Number(std::nan(""))}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Number(std::numeric_limits<double>::infinity())}),
               std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Json("{")}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Json("\"text\"")}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Json("{} {}")}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {Param::Json("")}), std::invalid_argument);
  Param mislabelled = Param::Json("[]");
  mislabelled.kind = Param::Kind::Object;
  EXPECT_THROW(rpc::EncodeRequest("1", "M", {mislabelled}), std::invalid_argument);
  // ids are numbers or strings
  EXPECT_THROW(rpc::EncodeRequest("null", "M", std::vector<Param>{}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("", "M", std::vector<Param>{}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeRequest("1,\"x\":2", "M", std::vector<Param>{}), std::invalid_argument);
  try {
    rpc::EncodeRequest("1", "M", {Param::String("ok"), Param::String("\xFF")});
  } catch (const std::invalid_argument& e) {
    EXPECT_THAT(e.what(), HasSubstr("argument 2"));
  }
}

TEST(DecodeRequest, RoundTripOfEveryKind) {
  const std::string change = R"({"changes":[{"op":"delete","old":{"A":"x y"}}]})";
  const std::string json = rpc::EncodeRequest(
      "42", "SetQtdePropServico",
      {Param::Json(change), Param::String("a\u00e7\n\"\\"), Param::Number(0.1), Param::Null(), Param::Bool(false),
       Param::Json("[ 1 , 2 ]")});
  const rpc::Request r = rpc::DecodeRequest(json);
  EXPECT_EQ(r.idJson, "42");
  EXPECT_EQ(r.method, "SetQtdePropServico");
  EXPECT_FALSE(r.paramsByName);
  ASSERT_EQ(r.params.size(), 6u);
  EXPECT_EQ(r.params[0].kind, Param::Kind::Object);
  EXPECT_EQ(r.params[0].text, change);  // raw text, byte for byte
  EXPECT_EQ(r.params[1].kind, Param::Kind::String);
  EXPECT_EQ(r.params[1].text, "a\u00e7\n\"\\");
  EXPECT_EQ(r.params[2].kind, Param::Kind::Number);
  EXPECT_EQ(r.params[2].number, 0.1);
  EXPECT_EQ(r.params[3].kind, Param::Kind::Null);
  EXPECT_EQ(r.params[4].kind, Param::Kind::Bool);
  EXPECT_FALSE(r.params[4].boolean);
  EXPECT_EQ(r.params[5].kind, Param::Kind::Array);
  EXPECT_EQ(r.params[5].text, "[ 1 , 2 ]");
}

TEST(DecodeRequest, ObjectParamsKeepTheirRawText) {
  const rpc::Request r = rpc::DecodeRequest(
      R"( { "params" : [ { "changes" : [ ] } ], "method":"M", "id" : "x1" , "jsonrpc":"2.0" } )");
  EXPECT_EQ(r.idJson, "\"x1\"");
  ASSERT_EQ(r.params.size(), 1u);
  EXPECT_EQ(r.params[0].text, R"({ "changes" : [ ] })");
}

TEST(DecodeRequest, NamedParamsAndNoParams) {
  const rpc::Request r = rpc::DecodeRequest(
      R"({"jsonrpc":"2.0","id":1,"method":"Connect","params":{"server":"S","user":"u","token":"t"}})");
  EXPECT_TRUE(r.paramsByName);
  ASSERT_EQ(r.named.size(), 3u);
  EXPECT_EQ(r.named[0].first, "server");
  EXPECT_EQ(r.named[0].second.text, "S");
  EXPECT_EQ(r.named[2].first, "token");

  const rpc::Request none = rpc::DecodeRequest(R"({"jsonrpc":"2.0","id":-350,"method":"Ping"})");
  EXPECT_EQ(none.idJson, "-350");
  EXPECT_TRUE(none.params.empty());
  EXPECT_FALSE(none.paramsByName);
}

struct BadRequest {
  const char* json;
  int code;
  const char* data;  // the id kept, as {"id":..}, or "" for none
  const char* inMessage;
};

class DecodeRequestFailure : public testing::TestWithParam<BadRequest> {};

TEST_P(DecodeRequestFailure, HasTheRightCodeAndKeepsTheId) {
  const BadRequest& c = GetParam();
  const RpcError e = DecodeFailure(c.json);
  EXPECT_EQ(e.Code(), c.code) << c.json << " -> " << e.what();
  EXPECT_EQ(e.DataJson(), c.data) << c.json;
  EXPECT_THAT(e.what(), HasSubstr(c.inMessage)) << c.json;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeRequestFailure,
    testing::Values(
        // not JSON
        BadRequest{"", rpc::kParseError, "", "parse error"},
        BadRequest{"   ", rpc::kParseError, "", "parse error"},
        BadRequest{"{", rpc::kParseError, "", "parse error"},
        BadRequest{"nope", rpc::kParseError, "", "parse error"},
        BadRequest{R"({"jsonrpc":"2.0","id":5,"method":"M"} x)", rpc::kParseError, R"({"id":5})", "parse error"},
        BadRequest{R"({"jsonrpc":"2.0","id":5,"method":"M",})", rpc::kParseError, R"({"id":5})", "parse error"},
        BadRequest{R"({"jsonrpc":"2.0","id":5,"method":"M","params":[01]})", rpc::kParseError, R"({"id":5})",
                   "leading zero"},
        BadRequest{"{\"jsonrpc\":\"2.0\",\"id\":5,\"method\":\"M\xFF\"}", rpc::kParseError, R"({"id":5})",
                   "UTF-8"},
        // a problem found first, then malformed JSON: still a parse error
        BadRequest{R"({"jsonrpc":"1.0","id":8,"method":)", rpc::kParseError, R"({"id":8})", "parse error"},
        // JSON, but not a request
        BadRequest{"[]", rpc::kInvalidRequest, "", "expected an object"},
        BadRequest{"[{\"jsonrpc\":\"2.0\",\"id\":1,\"method\":\"M\"}]", rpc::kInvalidRequest, "",
                   "expected an object"},
        BadRequest{"42", rpc::kInvalidRequest, "", "expected an object"},
        BadRequest{"{}", rpc::kInvalidRequest, "", "\"jsonrpc\" is missing"},
        BadRequest{R"({"id":1,"method":"M"})", rpc::kInvalidRequest, R"({"id":1})", "\"jsonrpc\" is missing"},
        BadRequest{R"({"jsonrpc":"1.0","id":1,"method":"M"})", rpc::kInvalidRequest, R"({"id":1})", "2.0"},
        BadRequest{R"({"jsonrpc":2.0,"id":1,"method":"M"})", rpc::kInvalidRequest, R"({"id":1})", "2.0"},
        BadRequest{R"({"jsonrpc":"2.0","method":"M"})", rpc::kInvalidRequest, "", "\"id\" is missing"},
        BadRequest{R"({"jsonrpc":"2.0","id":null,"method":"M"})", rpc::kInvalidRequest, "", "\"id\" must be"},
        BadRequest{R"({"jsonrpc":"2.0","id":{},"method":"M"})", rpc::kInvalidRequest, "", "\"id\" must be"},
        BadRequest{R"({"jsonrpc":"2.0","id":true,"method":"M"})", rpc::kInvalidRequest, "", "\"id\" must be"},
        BadRequest{R"({"jsonrpc":"2.0","id":"a"})", rpc::kInvalidRequest, R"({"id":"a"})", "\"method\" is missing"},
        BadRequest{R"({"jsonrpc":"2.0","id":2,"method":7})", rpc::kInvalidRequest, R"({"id":2})",
                   "\"method\" must be a string"},
        BadRequest{R"({"jsonrpc":"2.0","id":2,"method":""})", rpc::kInvalidRequest, R"({"id":2})", "empty"},
        BadRequest{R"({"jsonrpc":"2.0","id":3,"method":"M","params":null})", rpc::kInvalidRequest, R"({"id":3})",
                   "\"params\" must be an array or an object"},
        BadRequest{R"({"jsonrpc":"2.0","id":3,"method":"M","params":"x"})", rpc::kInvalidRequest, R"({"id":3})",
                   "\"params\""},
        BadRequest{R"({"jsonrpc":"2.0","id":4,"method":"M","extra":1})", rpc::kInvalidRequest, R"({"id":4})",
                   "unknown member 'extra'"},
        BadRequest{R"({"jsonrpc":"2.0","id":4,"id":5,"method":"M"})", rpc::kInvalidRequest, R"({"id":4})",
                   "duplicate member 'id'"},
        BadRequest{R"({"jsonrpc":"2.0","id":4,"method":"M","method":"N"})", rpc::kInvalidRequest, R"({"id":4})",
                   "duplicate member 'method'"},
        BadRequest{R"({"jsonrpc":"2.0","id":6,"method":"M","params":{"a":1,"b":2,"a":3}})", rpc::kInvalidRequest,
                   R"({"id":6})", "duplicate argument 'a'"},
        // the id is kept even when it comes after the problem
        BadRequest{R"({"bogus":true,"jsonrpc":"2.0","method":"M","id":"late"})", rpc::kInvalidRequest,
                   R"({"id":"late"})", "unknown member 'bogus'"}));

TEST(DecodeRequest, DeepNestingIsRefusedNotACrash) {
  std::string deep = R"({"jsonrpc":"2.0","id":1,"method":"M","params":[)";
  deep += std::string(100000, '[');
  const RpcError e = DecodeFailure(deep);
  EXPECT_EQ(e.Code(), rpc::kParseError);
}

TEST(EncodeResult, ResultAndByref) {
  EXPECT_EQ(rpc::EncodeResult("3", Reply{}), R"({"jsonrpc":"2.0","id":3,"result":{}})");
  EXPECT_EQ(rpc::EncodeResult("\"a\"", Reply{R"({"fields":[],"rows":[]})", R"(["x",1.0])"}),
            R"({"jsonrpc":"2.0","id":"a","result":{"fields":[],"rows":[]},"byref":["x",1.0]})");
  EXPECT_EQ(rpc::EncodeResult("null", Reply{"[]", ""}), R"({"jsonrpc":"2.0","id":null,"result":[]})");
  EXPECT_EQ(rpc::EncodeResult("1", Reply{"42", ""}), R"({"jsonrpc":"2.0","id":1,"result":42})");
}

TEST(EncodeResult, RefusesInvalidJson) {
  EXPECT_THROW(rpc::EncodeResult("1", Reply{"{", ""}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeResult("1", Reply{"", ""}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeResult("1", Reply{"{}", "{}"}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeResult("1", Reply{"{},\"x\":{}", ""}), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeResult("{}", Reply{}), std::invalid_argument);
}

TEST(EncodeError, CodeMessageData) {
  EXPECT_EQ(rpc::EncodeError("9", RpcError(rpc::kConflict, "Registro alterado por outro usu\u00e1rio",
                                           R"({"table":"PROPSERVICO"})")),
            "{\"jsonrpc\":\"2.0\",\"id\":9,\"error\":{\"code\":1001,\"message\":\"Registro alterado por outro "
            "usu\u00e1rio\",\"data\":{\"table\":\"PROPSERVICO\"}}}");
  EXPECT_EQ(rpc::EncodeError("null", RpcError(rpc::kParseError, "bad \"json\"")),
            R"({"jsonrpc":"2.0","id":null,"error":{"code":-32700,"message":"bad \"json\""}})");
  EXPECT_THROW(rpc::EncodeError("1", RpcError(1, "\xFF")), std::invalid_argument);
  EXPECT_THROW(rpc::EncodeError("1", RpcError(1, "m", "{")), std::invalid_argument);
}

TEST(DecodeResponse, SuccessWithAndWithoutByref) {
  rpc::Response r = rpc::DecodeResponse(R"({"jsonrpc":"2.0","id":3,"result":{"rows":[[1]]}})");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.idJson, "3");
  EXPECT_EQ(r.reply.resultJson, R"({"rows":[[1]]})");
  EXPECT_EQ(r.reply.byrefJson, "");

  r = rpc::DecodeResponse(R"({"byref":["a", 2.0],"result":[],"id":"q","jsonrpc":"2.0"})");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.idJson, "\"q\"");
  EXPECT_EQ(r.reply.resultJson, "[]");
  EXPECT_EQ(r.reply.byrefJson, R"(["a", 2.0])");
}

TEST(DecodeResponse, ErrorWithData) {
  const rpc::Response r =
      rpc::DecodeResponse(R"({"jsonrpc":"2.0","id":null,"error":{"code":1002,"message":"Faixa sobreposta","data":{"row":2}}})");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.idJson, "null");
  EXPECT_EQ(r.code, 1002);
  EXPECT_EQ(r.message, "Faixa sobreposta");
  EXPECT_EQ(r.dataJson, R"({"row":2})");
}

TEST(DecodeResponse, RoundTripsTheEncoders) {
  const Reply reply{R"({"fields":[{"name":"A","type":"string","size":4}],"rows":[["x"]]})", R"(["1"])"};
  const rpc::Response ok = rpc::DecodeResponse(rpc::EncodeResult("11", reply));
  EXPECT_EQ(ok.reply.resultJson, reply.resultJson);
  EXPECT_EQ(ok.reply.byrefJson, reply.byrefJson);
  const rpc::Response err =
      rpc::DecodeResponse(rpc::EncodeError("12", RpcError(rpc::kStorageFailure, "disk", R"({"why":"full"})")));
  EXPECT_EQ(err.code, rpc::kStorageFailure);
  EXPECT_EQ(err.message, "disk");
  EXPECT_EQ(err.dataJson, R"({"why":"full"})");
}

TEST(DecodeResponse, RefusesMalformedResponses) {
  for (const char* bad : {
           "",
           "[]",
           "{",
           R"({"jsonrpc":"2.0","id":1})",
           R"({"jsonrpc":"2.0","id":1,"result":{},"error":{"code":1,"message":"m"}})",
           R"({"jsonrpc":"2.0","result":{}})",
           R"({"id":1,"result":{}})",
           R"({"jsonrpc":"1.0","id":1,"result":{}})",
           R"({"jsonrpc":"2.0","id":{},"result":{}})",
           R"({"jsonrpc":"2.0","id":1,"result":{},"extra":0})",
           R"({"jsonrpc":"2.0","id":1,"result":{},"byref":{}})",
           R"({"jsonrpc":"2.0","id":1,"result":{},"result":{}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":1,"message":"m"},"byref":[]})",
           R"({"jsonrpc":"2.0","id":1,"error":{"message":"m"}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":1}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":1.5,"message":"m"}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":1e20,"message":"m"}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":"1","message":"m"}})",
           R"({"jsonrpc":"2.0","id":1,"error":{"code":1,"message":"m","x":1}})",
           R"({"jsonrpc":"2.0","id":1,"result":{}} {})",
       }) {
    try {
      rpc::DecodeResponse(bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const RpcError& e) {
      EXPECT_EQ(e.Code(), rpc::kParseError) << bad;
    }
  }
}
