#include "platform/inet/ReplyReader.h"

#include <gtest/gtest.h>

#include <string>

namespace inet {
namespace {

TEST(ReplyReader, MultiLineReplyKeepsFinalCodeAndEveryLine) {
  ReplyReader reader;
  // Lines inside a multi-line reply may start with other codes or "ddd-" of the same code.
  reader.feed("211-Features:\r\n MLST type*;\r\n211-not the end\r\n 500 inner\r\n211 End\r\n");
  Reply reply;
  ASSERT_TRUE(reader.take(&reply));
  EXPECT_EQ(reply.code, 211);
  EXPECT_EQ(reply.text,
            "211-Features:\r\n MLST type*;\r\n211-not the end\r\n 500 inner\r\n211 End\r\n");
  EXPECT_FALSE(reader.take(&reply));
  EXPECT_FALSE(reader.failed());
}

TEST(ReplyReader, ReplySplitAcrossFeedsIsDeliveredWhenComplete) {
  ReplyReader reader;
  const std::string bytes = "230-Welcome\r\n230 Logged in\r\n150 Opening\r\n";
  Reply reply;
  for (size_t i = 0; i < bytes.size(); ++i) {
    reader.feed(bytes.substr(i, 1));
    if (i + 1 < std::string("230-Welcome\r\n230 Logged in\r\n").size()) {
      ASSERT_FALSE(reader.take(&reply)) << "complete too early at byte " << i;
    }
  }
  ASSERT_TRUE(reader.take(&reply));
  EXPECT_EQ(reply.code, 230);
  ASSERT_TRUE(reader.take(&reply));
  EXPECT_EQ(reply.code, 150);
  EXPECT_EQ(reply.text, "150 Opening\r\n");
}

TEST(ReplyReader, BareLineFeedEndsALineAsCrLfDoes) {
  ReplyReader reader;
  reader.feed("220 ready\n");
  Reply reply;
  ASSERT_TRUE(reader.take(&reply));
  EXPECT_EQ(reply.code, 220);
  EXPECT_EQ(reply.text, "220 ready\r\n");
}

TEST(ReplyReader, LineOverTheLimitIsAnErrorAndStopsInput) {
  ReplyReader atLimit;
  atLimit.feed("220 " + std::string(ReplyReader::kMaxLineBytes - 4, 'x') + "\r\n");
  Reply reply;
  EXPECT_TRUE(atLimit.take(&reply));
  EXPECT_FALSE(atLimit.failed());
  ReplyReader over;
  over.feed("220 " + std::string(ReplyReader::kMaxLineBytes, 'x'));
  EXPECT_TRUE(over.failed());
  over.feed("\r\n221 bye\r\n");
  EXPECT_FALSE(over.take(&reply));
}

TEST(ReplyReader, EndlessMultiLineReplyIsAnError) {
  ReplyReader reader;
  reader.feed("220-start\r\n");
  const std::string line = std::string(1000, 'y') + "\r\n";
  for (size_t sent = 0; sent <= ReplyReader::kMaxReplyBytes && !reader.failed();
       sent += line.size()) {
    reader.feed(line);
  }
  EXPECT_TRUE(reader.failed());
}

TEST(ReplyReader, LinesThatAreNoReplyAreErrors) {
  for (const char* bad : {"hello\r\n", "600 no such class\r\n", "099 low\r\n", "22 short\r\n",
                          "220x glued\r\n", "\r\n"}) {
    ReplyReader reader;
    reader.feed(bad);
    Reply reply;
    EXPECT_TRUE(reader.failed()) << bad;
    EXPECT_FALSE(reader.take(&reply)) << bad;
  }
}

}  // namespace
}  // namespace inet
