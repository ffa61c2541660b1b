#include "rpc/Frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

using rpc::FrameDecoder;
using rpc::FrameError;
using testing::HasSubstr;

namespace {

std::string Header(std::uint32_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
}

std::vector<std::string> DrainAll(FrameDecoder& d) {
  std::vector<std::string> out;
  while (auto f = d.Next()) out.push_back(*f);
  return out;
}

}  // namespace

TEST(Frame, HeaderIsFourBytesBigEndian) {
  const std::string f = rpc::EncodeFrame("abc");
  ASSERT_EQ(f.size(), 7u);
  EXPECT_EQ(f.substr(0, 4), Header(3));
  EXPECT_EQ(f.substr(4), "abc");

  const std::string big(0x010203, 'x');
  const std::string g = rpc::EncodeFrame(big);
  EXPECT_EQ(g.substr(0, 4), std::string("\x00\x01\x02\x03", 4));
  EXPECT_EQ(rpc::ReadFrameLength(reinterpret_cast<const unsigned char*>(g.data())), 0x010203u);
  const unsigned char top[4] = {0xFF, 0xFE, 0xFD, 0xFC};
  EXPECT_EQ(rpc::ReadFrameLength(top), 0xFFFEFDFCu);
}

TEST(Frame, AppendKeepsWhatIsThere) {
  std::string out = "xy";
  rpc::AppendFrame(out, "");
  rpc::AppendFrame(out, "{}");
  EXPECT_EQ(out, "xy" + Header(0) + Header(2) + "{}");
}

TEST(Frame, EncoderRefusesPayloadOverTheLimit) {
  EXPECT_NO_THROW(rpc::EncodeFrame(std::string(10, 'a'), 10));
  try {
    rpc::EncodeFrame(std::string(11, 'a'), 10);
    FAIL() << "no FrameError";
  } catch (const FrameError& e) {
    EXPECT_THAT(e.what(), HasSubstr("11 bytes"));
    EXPECT_THAT(e.what(), HasSubstr("limit of 10"));
  }
  std::string out = "keep";
  EXPECT_THROW(rpc::AppendFrame(out, std::string(11, 'a'), 10), FrameError);
  EXPECT_EQ(out, "keep");
}

TEST(FrameDecoder, WholeFramesInOnePiece) {
  FrameDecoder d;
  d.Feed(rpc::EncodeFrame("one") + rpc::EncodeFrame("") + rpc::EncodeFrame("three"));
  EXPECT_EQ(DrainAll(d), (std::vector<std::string>{"one", "", "three"}));
  EXPECT_EQ(d.Buffered(), 0u);
  EXPECT_FALSE(d.Next());
}

// Every way of cutting a stream of several frames in two, and one byte at a
// time, gives the same frames.
TEST(FrameDecoder, SplitAtEveryByteBoundary) {
  const std::vector<std::string> payloads = {"{\"a\":1}", "", std::string(300, 'z'), "x", "\xC3\xA7\xC3\xA3o"};
  std::string stream;
  for (const auto& p : payloads) rpc::AppendFrame(stream, p);

  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    FrameDecoder d;
    std::vector<std::string> got;
    d.Feed(std::string_view(stream).substr(0, cut));
    for (auto f = d.Next(); f; f = d.Next()) got.push_back(*f);
    d.Feed(std::string_view(stream).substr(cut));
    for (auto f = d.Next(); f; f = d.Next()) got.push_back(*f);
    ASSERT_EQ(got, payloads) << "cut at " << cut;
    ASSERT_EQ(d.Buffered(), 0u);
  }

  FrameDecoder d;
  std::vector<std::string> got;
  for (char c : stream) {
    d.Feed(std::string_view(&c, 1));
    for (auto f = d.Next(); f; f = d.Next()) got.push_back(*f);
  }
  EXPECT_EQ(got, payloads);
}

TEST(FrameDecoder, HeaderOverTheLimitFailsAtOnce) {
  FrameDecoder d(100);
  d.Feed(Header(101));  // no payload yet: the header alone is enough
  try {
    d.Next();
    FAIL() << "no FrameError";
  } catch (const FrameError& e) {
    EXPECT_THAT(e.what(), HasSubstr("101 bytes"));
  }
}

TEST(FrameDecoder, HugeHeaderFailsWithDefaultLimit) {
  FrameDecoder d;
  d.Feed(Header(0xFFFFFFFF));
  EXPECT_THROW(d.Next(), FrameError);
  FrameDecoder e;
  e.Feed(Header(static_cast<std::uint32_t>(rpc::kMaxFrameSize + 1)));
  EXPECT_THROW(e.Next(), FrameError);
}

TEST(FrameDecoder, FrameAtTheLimitPasses) {
  FrameDecoder d(5);
  d.Feed(rpc::EncodeFrame("12345", 5));
  EXPECT_EQ(d.Next().value(), "12345");
}

TEST(FrameDecoder, ValidFramesBeforeAnOverLimitOneAreReturned) {
  FrameDecoder d(10);
  d.Feed(rpc::EncodeFrame("ok") + Header(11));
  EXPECT_EQ(d.Next().value(), "ok");
  EXPECT_THROW(d.Next(), FrameError);
}

TEST(FrameDecoder, TruncatedStreamLeavesBytesBuffered) {
  const std::string f = rpc::EncodeFrame("hello");
  for (std::size_t cut = 1; cut < f.size(); ++cut) {
    FrameDecoder d;
    d.Feed(std::string_view(f).substr(0, cut));
    EXPECT_FALSE(d.Next());
    EXPECT_EQ(d.Buffered(), cut);
  }
  FrameDecoder d;
  d.Feed(f + std::string(2, '\0'));
  EXPECT_EQ(d.Next().value(), "hello");
  EXPECT_FALSE(d.Next());
  EXPECT_EQ(d.Buffered(), 2u);
}

TEST(FrameDecoder, LongRunKeepsTheBufferSmall) {
  FrameDecoder d;
  const std::string f = rpc::EncodeFrame(std::string(1000, 'q'));
  for (int i = 0; i < 10000; ++i) {
    // Frames arrive misaligned with the reads.
    d.Feed(std::string_view(f).substr(0, 600));
    d.Feed(std::string_view(f).substr(600));
    auto got = d.Next();
    ASSERT_TRUE(got);
    ASSERT_EQ(got->size(), 1000u);
  }
  EXPECT_EQ(d.Buffered(), 0u);
}

TEST(FrameDecoder, ALargeFrameDoesNotPinItsSize) {
  rpc::FrameDecoder d;
  const std::string big = rpc::EncodeFrame(std::string(1 << 20, 'x'));
  d.Feed(big.substr(0, 100));
  EXPECT_EQ(d.Announced(), std::size_t{1} << 20);
  d.ReserveAnnounced();
  d.Feed(big.substr(100));
  ASSERT_TRUE(d.Next());
  EXPECT_LE(d.Capacity(), rpc::FrameDecoder::kKeptCapacity);
  d.Feed(rpc::EncodeFrame("{}"));
  EXPECT_EQ(d.Next(), "{}");
}
