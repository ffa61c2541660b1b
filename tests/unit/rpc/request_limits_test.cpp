// Requests a hostile client holding the token might send: ids that cannot be
// echoed, numbers no double holds, and requests built to make the decoder
// allocate without bound. Each must be refused with a clear error, and the
// answer must still be JSON a client can read.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "rpc/Dispatcher.h"
#include "rpc/Message.h"

using rpc::RpcError;
using testing::HasSubstr;

namespace {

RpcError DecodeFailure(std::string_view json) {
  try {
    rpc::DecodeRequest(json);
  } catch (const RpcError& e) {
    return e;
  }
  return RpcError(0, "<no error>");
}

std::string RequestWith(std::string_view id, std::string_view params) {
  return R"({"jsonrpc":"2.0","id":)" + std::string(id) + R"(,"method":"M","params":)" + std::string(params) + "}";
}

// The answer the dispatcher gives, decoded: it must be a well-formed response.
rpc::Response Answer(const std::string& request) {
  rpc::Dispatcher d("S", "");
  rpc::Session session;
  return rpc::DecodeResponse(d.Handle(request, session).response);
}

// n elements of `element`, comma separated, in brackets.
std::string ArrayOf(std::size_t n, std::string_view element) {
  std::string out = "[";
  out.reserve(n * (element.size() + 1) + 2);
  for (std::size_t i = 0; i < n; ++i) {
    if (i) out += ',';
    out += element;
  }
  return out + "]";
}

}  // namespace

TEST(RequestIds, OnlyStringsAndIntegersAreEchoed) {
  for (const char* id : {"7", "-7", "0", "9223372036854775807", "\"x\"", "\"1e400\""}) {
    EXPECT_EQ(rpc::DecodeRequest(RequestWith(id, "[]")).idJson, id);
    EXPECT_EQ(Answer(RequestWith(id, "[]")).idJson, id) << "answered (method unknown) by its id";
  }
  for (const char* id : {"1e400", "-1e400", "1.5", "-3.5e2", "1e3", "2.0", "9223372036854775808",
                         "123456789012345678901234567890", "null", "true", "{}", "[1]"}) {
    const std::string request = RequestWith(id, "[]");
    const RpcError e = DecodeFailure(request);
    EXPECT_EQ(e.Code(), rpc::kInvalidRequest) << id << " -> " << e.what();
    EXPECT_THAT(e.what(), HasSubstr("\"id\" must be")) << id;
    EXPECT_EQ(e.DataJson(), "") << "a bad id is not kept: " << id;
    const rpc::Response answer = Answer(request);
    EXPECT_EQ(answer.idJson, "null") << id;
    EXPECT_EQ(answer.code, rpc::kInvalidRequest) << id;
    EXPECT_EQ(rpc::Dispatcher::IdOf(request), "null") << id;
  }
}

TEST(RequestArguments, NumbersNoDoubleHoldsAreRefusedNamingTheArgument) {
  struct Case {
    const char* params;
    const char* argument;
  };
  for (const Case& c : {Case{"[1e400]", "argument 1"}, Case{"[\"a\",-1e400]", "argument 2"},
                        Case{R"({"q":1e400})", "argument 'q'"},
                        Case{R"([{"changes":[{"op":"insert","new":{"QTSERVICO":1e400}}]}])", "argument 1"},
                        Case{"[1,[[0,-1e400]]]", "argument 2"}, Case{"[1e-400]", "argument 1"}}) {
    const std::string request = RequestWith("5", c.params);
    const RpcError e = DecodeFailure(request);
    EXPECT_EQ(e.Code(), rpc::kInvalidParams) << c.params << " -> " << e.what();
    EXPECT_THAT(e.what(), HasSubstr(c.argument)) << c.params;
    EXPECT_THAT(e.what(), HasSubstr("range of a double")) << c.params;
    const rpc::Response answer = Answer(request);
    EXPECT_EQ(answer.idJson, "5") << "the request's id is sound, so its answer carries it";
    EXPECT_EQ(answer.code, rpc::kInvalidParams);
    EXPECT_EQ(rpc::Dispatcher::IdOf(request), "5");
  }
  // Large and small numbers a double holds still pass, inside objects too.
  const rpc::Request ok = rpc::DecodeRequest(RequestWith("5", R"([1e308,-2.5e-300,{"a":[1.7976931348623157e308]}])"));
  EXPECT_EQ(ok.params[0].number, 1e308);
  EXPECT_EQ(ok.params[2].text, R"({"a":[1.7976931348623157e308]})");
  // Malformed JSON after an argument problem is still a parse error.
  EXPECT_EQ(DecodeFailure(R"({"jsonrpc":"2.0","id":5,"method":"M","params":[1e400,)").Code(), rpc::kParseError);
}

TEST(RequestArguments, AMillionArgumentsAreRefusedNotBuilt) {
  const RpcError e = DecodeFailure(RequestWith("9", ArrayOf(1000000, "0")));
  EXPECT_EQ(e.Code(), rpc::kInvalidParams) << e.what();
  EXPECT_THAT(e.what(), HasSubstr("more than " + std::to_string(rpc::kMaxArguments) + " arguments"));
  EXPECT_EQ(e.DataJson(), R"({"id":9})");

  std::string named = "{";
  for (int i = 0; i < 100000; ++i) named += (i ? ",\"k" : "\"k") + std::to_string(i) + "\":[1]";
  EXPECT_EQ(DecodeFailure(RequestWith("9", named + "}")).Code(), rpc::kInvalidParams);

  // One array argument of a million elements is one argument: its text is
  // kept as it came, bounded by the frame.
  const rpc::Request big = rpc::DecodeRequest(RequestWith("9", "[" + ArrayOf(1000000, "0") + "]"));
  ASSERT_EQ(big.params.size(), 1u);
  EXPECT_EQ(big.params[0].text.size(), 2000001u);

  const rpc::Request most = rpc::DecodeRequest(RequestWith("9", ArrayOf(rpc::kMaxArguments, "\"a\"")));
  EXPECT_EQ(most.params.size(), rpc::kMaxArguments);
}

TEST(RequestArguments, NestingIsBoundedWithinEachArgument) {
  const auto nested = [](std::size_t depth) {
    return "[1," + std::string(depth, '[') + std::string(depth, ']') + "]";
  };
  const rpc::Request deepest = rpc::DecodeRequest(RequestWith("4", nested(rpc::kMaxArgumentDepth)));
  EXPECT_EQ(deepest.params[1].kind, rpc::Param::Kind::Array);
  const RpcError e = DecodeFailure(RequestWith("4", nested(rpc::kMaxArgumentDepth + 1)));
  EXPECT_EQ(e.Code(), rpc::kInvalidParams) << e.what();
  EXPECT_THAT(e.what(), HasSubstr("argument 2 nests deeper than"));
}
