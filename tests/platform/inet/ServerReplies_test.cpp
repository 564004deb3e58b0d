#include "platform/inet/ServerReplies.h"

#include <gtest/gtest.h>

#include "platform/inet/CommandChoice.h"

namespace inet {
namespace {

Reply reply(int code, const std::string& text) { return Reply{code, text}; }

TEST(ServerReplies, FeaturesAreReadFromTheIndentedLinesOfA211Only) {
  const ServerFeatures features = ParseFeatures(
      reply(211, "211-Features:\r\n mlst type*;size*;\r\n UTF8\r\n SIZE\r\n EPSVX\r\n211 End\r\n"));
  EXPECT_TRUE(features.answered);
  EXPECT_TRUE(features.mlsd);
  EXPECT_TRUE(features.utf8);
  EXPECT_TRUE(features.size);
  EXPECT_FALSE(features.epsv);  // a keyword is a whole word
  // The reply's own first and last lines are no features, nor is any other reply.
  EXPECT_FALSE(ParseFeatures(reply(211, "211-EPSV\r\n211 MLSD\r\n")).epsv);
  EXPECT_FALSE(ParseFeatures(reply(500, "500-x\r\n EPSV\r\n500 no\r\n")).answered);
}

TEST(ServerReplies, PwdReadsTheQuotedPathWithDoubledQuotesAsOne) {
  EXPECT_EQ(ParsePwdReply(reply(257, "257 \"/a \"\"b\"\" c\" is current.\r\n")), "/a \"b\" c");
  EXPECT_EQ(ParsePwdReply(reply(257, "257 /plain is current\r\n")), "/plain");
  EXPECT_EQ(ParsePwdReply(reply(257, "257 \"\"\r\n")), "");
  EXPECT_FALSE(ParsePwdReply(reply(257, "257 \"/unclosed\r\n")));
  EXPECT_FALSE(ParsePwdReply(reply(250, "250 \"/\"\r\n")));
  EXPECT_FALSE(ParsePwdReply(reply(257, "257\r\n")));
}

TEST(ServerReplies, SizeIsOneDecimalNumberThatFits) {
  EXPECT_EQ(ParseSizeReply(reply(213, "213 5368709120\r\n")), 5368709120u);
  EXPECT_EQ(ParseSizeReply(reply(213, "213 18446744073709551615\r\n")), UINT64_MAX);
  EXPECT_FALSE(ParseSizeReply(reply(213, "213 18446744073709551616\r\n")));
  EXPECT_FALSE(ParseSizeReply(reply(213, "213 12 bytes\r\n")));
  EXPECT_FALSE(ParseSizeReply(reply(213, "213 -1\r\n")));
  EXPECT_FALSE(ParseSizeReply(reply(550, "550 42\r\n")));
}

TEST(CommandChoice, RefusalsTurnTheSessionToTheOlderCommands) {
  ServerFeatures none;
  ServerFeatures unanswered;
  none.answered = true;
  ServerFeatures full = none;
  full.epsv = full.mlsd = true;
  Refusals fresh;
  Refusals refused;
  refused.add(Refusal::Epsv);
  refused.add(Refusal::Eprt);
  refused.add(Refusal::Mlsd);

  EXPECT_EQ(ChoosePassiveCommand(full, fresh, false), PassiveCommand::Epsv);
  EXPECT_EQ(ChoosePassiveCommand(unanswered, fresh, false), PassiveCommand::Epsv);
  EXPECT_EQ(ChoosePassiveCommand(none, fresh, false), PassiveCommand::Pasv);
  EXPECT_EQ(ChoosePassiveCommand(none, fresh, true), PassiveCommand::Epsv);
  EXPECT_EQ(ChoosePassiveCommand(full, refused, true), PassiveCommand::Pasv);

  EXPECT_EQ(ChooseActiveCommand(fresh, false), ActiveCommand::Eprt);
  EXPECT_EQ(ChooseActiveCommand(refused, false), ActiveCommand::Port);
  EXPECT_EQ(ChooseActiveCommand(refused, true), ActiveCommand::Eprt);

  EXPECT_EQ(ChooseListingFormat(full, fresh), ListingFormat::Mlsd);
  EXPECT_EQ(ChooseListingFormat(full, refused), ListingFormat::List);
  EXPECT_EQ(ChooseListingFormat(unanswered, fresh), ListingFormat::List);
}

}  // namespace
}  // namespace inet
