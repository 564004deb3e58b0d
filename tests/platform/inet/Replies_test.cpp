// The server's replies as the engine reads them: the reply reader over the raw control
// connection, the passive-mode replies, FEAT, PWD and SIZE, and the commands they lead to.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/inet/CommandChoice.h"
#include "platform/inet/PassiveReply.h"
#include "platform/inet/ReplyReader.h"
#include "platform/inet/ServerReplies.h"

namespace inet {
namespace {

TEST(ReplyReader, RepliesSplitAnywhereArriveWholeWithEveryLine) {
  // Lines inside a multi-line reply may start with other codes or "ddd-" of the same code; a
  // bare LF ends a line as CR LF does.
  const std::string first =
      "211-Features:\r\n MLST type*;\r\n211-not the end\r\n 500 inner\r\n211 End\r\n";
  const std::string bytes = first + "150 Opening\n";
  for (const size_t step : {size_t{1}, size_t{5}, bytes.size()}) {
    SCOPED_TRACE(step);
    ReplyReader reader;
    std::vector<Reply> got;
    Reply reply;
    for (size_t at = 0; at < bytes.size(); at += step) {
      reader.feed(bytes.substr(at, step));
      while (reader.take(&reply)) got.push_back(reply);
      ASSERT_TRUE(at + step >= first.size() || got.empty()) << "complete too early at " << at;
    }
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].code, 211);
    EXPECT_EQ(got[0].text, first);
    EXPECT_EQ(got[1].code, 150);
    EXPECT_EQ(got[1].text, "150 Opening\r\n");
    EXPECT_FALSE(reader.failed());
  }
}

TEST(ReplyReader, OverlongInputAndLinesThatAreNoReplyStopTheReader) {
  ReplyReader atLimit;
  atLimit.feed("220 " + std::string(ReplyReader::kMaxLineBytes - 4, 'x') + "\r\n");
  Reply reply;
  EXPECT_TRUE(atLimit.take(&reply));
  std::string endless = "220-start\r\n";
  while (endless.size() <= ReplyReader::kMaxReplyBytes) endless += std::string(1000, 'y') + "\r\n";
  for (const std::string& bad :
       {"220 " + std::string(ReplyReader::kMaxLineBytes, 'x'), endless, std::string("hello\r\n"),
        std::string("600 no such class\r\n"), std::string("099 low\r\n"),
        std::string("22 short\r\n"), std::string("220x glued\r\n"), std::string("\r\n")}) {
    ReplyReader reader;
    reader.feed(bad);
    EXPECT_TRUE(reader.failed()) << bad.substr(0, 20);
    reader.feed("\r\n221 bye\r\n");
    EXPECT_FALSE(reader.take(&reply)) << bad.substr(0, 20);
  }
}

TEST(PassiveReply, PasvAndEpsvGiveTheirPortOrNothing) {
  const auto endpoint = ParsePasvReply("227 Entering Passive Mode (192,0,2,1,4,1).\r\n");
  EXPECT_EQ(endpoint.value().address, (std::array<uint8_t, 4>{192, 0, 2, 1}));
  EXPECT_EQ(endpoint.value().port, 4 * 256 + 1);
  EXPECT_EQ(ParsePasvReply("227 =127,0,0,1,255,255").value().port, 65535);
  for (const char* bad : {"(256,0,0,1,4,1)", "(127,0,0,1,4)", "(127,0,0,1,0,0)", "(1234,0,0,1,4,1)",
                          "nothing here", ""}) {
    EXPECT_FALSE(ParsePasvReply(std::string("227 Entering Passive Mode ") + bad)) << bad;
  }
  EXPECT_EQ(ParseEpsvReply("229 Entering Extended Passive Mode (|||6446|)\r\n"), 6446);
  EXPECT_EQ(ParseEpsvReply("229 ok (!!!21!)"), 21);
  for (const char* bad : {"(|||0|)", "(|||65536|)", "(||6446|)", "(|||6446)", "(|||6446",
                          "(1116446|)", "|||6446|", "("}) {
    EXPECT_FALSE(ParseEpsvReply(std::string("229 Extended Passive Mode ") + bad)) << bad;
  }
}

Reply reply(int code, const std::string& text) { return Reply{code, text}; }

TEST(ServerReplies, FeaturesComeFromTheIndentedLinesOfA211Only) {
  const ServerFeatures features = ParseFeatures(
      reply(211, "211-Features:\r\n mlst type*;size*;\r\n UTF8\r\n SIZE\r\n EPSVX\r\n211 End\r\n"));
  EXPECT_TRUE(features.answered && features.mlsd && features.utf8 && features.size);
  EXPECT_FALSE(features.epsv);  // a keyword is a whole word
  EXPECT_FALSE(ParseFeatures(reply(211, "211-EPSV\r\n211 MLSD\r\n")).epsv);
  EXPECT_FALSE(ParseFeatures(reply(500, "500-x\r\n EPSV\r\n500 no\r\n")).answered);
}

TEST(ServerReplies, PwdAndSizeReadOnlyWhatTheirReplyHolds) {
  EXPECT_EQ(ParsePwdReply(reply(257, "257 \"/a \"\"b\"\" c\" is current.\r\n")), "/a \"b\" c");
  EXPECT_EQ(ParsePwdReply(reply(257, "257 /plain is current\r\n")), "/plain");
  EXPECT_EQ(ParsePwdReply(reply(257, "257 \"\"\r\n")), "");
  EXPECT_FALSE(ParsePwdReply(reply(257, "257 \"/unclosed\r\n")));
  EXPECT_FALSE(ParsePwdReply(reply(250, "250 \"/\"\r\n")));
  EXPECT_FALSE(ParsePwdReply(reply(257, "257\r\n")));
  EXPECT_EQ(ParseSizeReply(reply(213, "213 18446744073709551615\r\n")), UINT64_MAX);
  for (const char* bad : {"213 18446744073709551616\r\n", "213 12 bytes\r\n", "213 -1\r\n"}) {
    EXPECT_FALSE(ParseSizeReply(reply(213, bad))) << bad;
  }
  EXPECT_FALSE(ParseSizeReply(reply(550, "550 42\r\n")));
}

// What a refusal turns the session to, and IPv6 where PASV cannot name an address; which
// command comes first otherwise shows in the engine's tests.
TEST(CommandChoice, RefusalsTurnTheSessionToTheOlderCommands) {
  ServerFeatures none, full;
  none.answered = full.answered = full.epsv = full.mlsd = true;
  EXPECT_EQ(ChoosePassiveCommand(none, Refusals(), true), PassiveCommand::Epsv);
  Refusals refused;
  refused.add(Refusal::Epsv);
  refused.add(Refusal::Eprt);
  refused.add(Refusal::Mlsd);
  EXPECT_EQ(ChoosePassiveCommand(full, refused, true), PassiveCommand::Pasv);
  EXPECT_EQ(ChooseActiveCommand(refused, false), ActiveCommand::Port);
  EXPECT_EQ(ChooseActiveCommand(refused, true), ActiveCommand::Eprt);  // IPv6 has no PORT
  EXPECT_EQ(ChooseListingFormat(full, refused), ListingFormat::List);
}

}  // namespace
}  // namespace inet
