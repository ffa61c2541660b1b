// The HTTP request reader fed as a socket feeds it: in any pieces, several
// requests in one read, and the refusals that end a connection.

#include <gtest/gtest.h>

#include <string>

#include "rpc/HttpRpc.h"

namespace {

using Step = rpc::HttpRequestReader::Step;

std::string Post(const std::string& body, const std::string& extra = "") {
  return "POST /rpc HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nX-Ate-User: ana\r\n" + extra +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// Feeds the stream one byte at a time and returns the bodies read, setting
// each request's limit at its head.
std::vector<std::string> ReadAll(rpc::HttpRequestReader& reader, const std::string& stream, std::size_t limit) {
  std::vector<std::string> bodies;
  for (const char c : stream) {
    reader.Feed(std::string_view(&c, 1));
    for (Step s; (s = reader.Next()) != Step::More;) {
      if (s == Step::Head) reader.SetBodyLimit(limit);
      else bodies.push_back(reader.TakeBody());
    }
  }
  return bodies;
}

int StatusOf(const std::string& stream, std::size_t limit = 1024) {
  rpc::HttpRequestReader reader;
  try {
    ReadAll(reader, stream, limit);
  } catch (const rpc::HttpError& e) {
    return e.Status();
  }
  return 0;
}

TEST(HttpRequestReader, PipelinedRequestsArriveWholeAndInOrderWhateverThePieces) {
  rpc::HttpRequestReader reader;
  const std::string chunked =
      "POST /rpc HTTP/1.1\r\nTransfer-Encoding: chunked\r\nX-Ate-User: ana\r\n\r\n3\r\n[1,\r\n2\r\n2]\r\n0\r\n\r\n";
  const auto bodies = ReadAll(reader, Post("{\"a\":1}") + chunked + Post(""), 64);
  ASSERT_EQ(bodies.size(), 3u);
  EXPECT_EQ(bodies[0], "{\"a\":1}");
  EXPECT_EQ(bodies[1], "[1,2]");
  EXPECT_EQ(bodies[2], "");
  EXPECT_EQ(*reader.Head().Find("x-ate-user"), "ana");
  EXPECT_TRUE(reader.Head().keepAlive);
  EXPECT_FALSE(reader.Begun());
}

TEST(HttpRequestReader, RefusesWhatWouldLetARequestHideOrGrowUnbounded) {
  const std::string big(2000, 'x');
  EXPECT_EQ(StatusOf(Post(big)), 413);  // announced over the limit
  EXPECT_EQ(StatusOf("POST /rpc HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n7d0\r\n" + big + "\r\n0\r\n\r\n"), 413);
  EXPECT_EQ(StatusOf(Post("0\r\n\r\n", "Transfer-Encoding: chunked\r\n")), 400);  // both lengths
  EXPECT_EQ(StatusOf(Post("{}", "Content-Length: 2\r\n")), 400);                 // two Content-Lengths
  EXPECT_EQ(StatusOf("POST /rpc HTTP/1.1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n"), 501);
  EXPECT_EQ(StatusOf("POST /rpc HTTP/1.1\r\nX-Pad: " + std::string(20000, 'a') + "\r\n\r\n"), 431);
  EXPECT_EQ(StatusOf("POST /" + std::string(3000, 'a') + " HTTP/1.1\r\n\r\n"), 414);
  EXPECT_EQ(StatusOf("POST /rpc HTTP/2.0\r\n\r\n"), 505);
  EXPECT_EQ(StatusOf("\x16\x03\x01 not http\r\n\r\n"), 400);
}

TEST(HttpRpc, CredentialsComeFromTheHeadersAndMissingOnesAreRefused) {
  rpc::HttpHead head;
  head.headers = {{"x-ate-user", "ana"}, {"authorization", "bearer  s3gredo"}};
  auto who = rpc::http::ReadCredentials(head);
  ASSERT_TRUE(who.credentials);
  EXPECT_EQ(who.credentials->user, "ana");
  EXPECT_EQ(who.credentials->token, "s3gredo");
  head.headers = {{"x-ate-user", "ana"}, {"authorization", "Basic YW5hOnNlbmhh"}};
  EXPECT_EQ(rpc::http::ReadCredentials(head).refusal->status, 401);
  head.headers = {{"authorization", "Bearer s3gredo"}};
  EXPECT_EQ(rpc::http::ReadCredentials(head).refusal->status, 401);
}

}  // namespace
