// The server fixtures' command logs: the tests that check a command was never sent would pass
// unseen against a log that records nothing, so each kind of server must show what it got.
#include "tests/support/common/FtpServers.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/inet/FtpEngine.h"

namespace testsupport {
namespace {

void expectLogged(const FtpServer& server) {
  const std::unique_ptr<inet::InternetApi> api = inet::MakeFtpEngine();
  const inet::Handle root = api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
  const inet::Handle connection =
      api->InternetConnectA(root, server.address().c_str(), 21, server.user().c_str(),
                            server.password().c_str(), inet::kServiceFtp, inet::kFlagPassive, 0)
          .handle;
  ASSERT_NE(connection, 0u) << server.serverOutput();
  (void)api->FtpDeleteFileA(connection, "no such.txt");
  const std::vector<std::string> commands = server.commands();
  const auto logged = [&](const std::string& line) {
    return std::find(commands.begin(), commands.end(), line) != commands.end();
  };
  EXPECT_TRUE(logged("USER " + server.user()));
  EXPECT_TRUE(logged("PASS ****"));
  EXPECT_FALSE(logged("PASS " + server.password()));
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), "DELE no such.txt");
}

TEST(FtpServerFixtures, EachKindLogsTheCommandsItReceived) {
  // pure-ftpd logs only to syslog: its tests never look at commands().
  const std::unique_ptr<FtpServer> servers[] = {StartPyftpdlib(), StartScriptedFtpd("normal"),
                                                StartVsftpd(), StartProftpd()};
  for (const std::unique_ptr<FtpServer>& server : servers) {
    ASSERT_NE(server, nullptr) << LastStartFailure();
    expectLogged(*server);
  }
}

}  // namespace
}  // namespace testsupport
