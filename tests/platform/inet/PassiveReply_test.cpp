#include "platform/inet/PassiveReply.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(PassiveReply, PasvGivesAddressAndPortWithOrWithoutParentheses) {
  auto endpoint = ParsePasvReply("227 Entering Passive Mode (192,0,2,1,4,1).\r\n");
  ASSERT_TRUE(endpoint);
  EXPECT_EQ(endpoint->address, (std::array<uint8_t, 4>{192, 0, 2, 1}));
  EXPECT_EQ(endpoint->port, 4 * 256 + 1);
  endpoint = ParsePasvReply("227 =127,0,0,1,255,255");
  ASSERT_TRUE(endpoint);
  EXPECT_EQ(endpoint->port, 65535);
}

TEST(PassiveReply, PasvRefusesOutOfRangeIncompleteAndZeroPort) {
  EXPECT_FALSE(ParsePasvReply("227 Entering Passive Mode (256,0,0,1,4,1)"));
  EXPECT_FALSE(ParsePasvReply("227 Entering Passive Mode (127,0,0,1,4)"));
  EXPECT_FALSE(ParsePasvReply("227 Entering Passive Mode (127,0,0,1,0,0)"));
  EXPECT_FALSE(ParsePasvReply("227 Entering Passive Mode (1234,0,0,1,4,1)"));
  EXPECT_FALSE(ParsePasvReply("227 nothing here"));
  EXPECT_FALSE(ParsePasvReply(""));
}

TEST(PassiveReply, EpsvGivesThePortBetweenDelimiters) {
  EXPECT_EQ(ParseEpsvReply("229 Entering Extended Passive Mode (|||6446|)\r\n"), 6446);
  EXPECT_EQ(ParseEpsvReply("229 ok (!!!21!)"), 21);
}

TEST(PassiveReply, EpsvRefusesMalformedReplies) {
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (|||0|)"));
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (|||65536|)"));
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (||6446|)"));
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (|||6446)"));
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (|||6446"));
  EXPECT_FALSE(ParseEpsvReply("229 Entering Extended Passive Mode (1116446|)"));
  EXPECT_FALSE(ParseEpsvReply("229 no parentheses |||6446|"));
  EXPECT_FALSE(ParseEpsvReply("229 ("));
}

}  // namespace
}  // namespace inet
