#include "tests/support/common/FtpServers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/common/tests/ProcessProbe.h"
#include "tests/support/common/tests/RawFtpClient.h"

namespace testsupport {
namespace {

// Logs in over a raw socket; returns the reply to PASS.
std::string logIn(RawFtpClient& c, const std::string& user, const std::string& password) {
  std::string greeting = c.reply();
  EXPECT_EQ(greeting.substr(0, 3), "220") << greeting;
  std::string r = c.command("USER " + user);
  EXPECT_EQ(r.substr(0, 3), "331") << r;
  return c.command("PASS " + password);
}

// Destroys the server while a session is open and checks that nothing of it keeps running
// and that its served folder is gone.
void expectStopsCleanly(std::unique_ptr<FtpServer> server) {
  RawFtpClient session(server->host(), server->port());
  ASSERT_EQ(logIn(session, server->user(), server->password()).substr(0, 3), "230");
  pid_t pid = server->pid();
  std::string root = server->root();
  ASSERT_TRUE(ProcessRunning(pid));
  server.reset();
  EXPECT_FALSE(ProcessRunning(pid));
  EXPECT_TRUE(GroupEnds(pid)) << "session processes were left running";
  EXPECT_FALSE(std::filesystem::exists(root));
}

TEST(PyftpdlibFixture, AcceptsLoginAndRecordsCommandsWithPasswordMasked) {
  auto server = StartPyftpdlib();
  ASSERT_TRUE(server) << LastStartFailure();
  EXPECT_EQ(server->host(), "127.0.0.1");
  EXPECT_EQ(server->address(), "127.0.0.1:" + std::to_string(server->port()));
  RawFtpClient c(server->host(), server->port());
  ASSERT_TRUE(c.connected());
  EXPECT_EQ(logIn(c, server->user(), server->password()).substr(0, 3), "230");
  EXPECT_EQ(c.command("NOSUCHCMD x").substr(0, 3), "500");
  EXPECT_EQ(c.command("PWD").substr(0, 5), "257 \"");
  std::vector<std::string> expected = {"USER " + server->user(), "PASS ****", "NOSUCHCMD x", "PWD"};
  EXPECT_EQ(server->commands(), expected);
}

TEST(PyftpdlibFixture, ListsRootOverPortAndEprtOnLoopback) {
  auto server = StartPyftpdlib();
  ASSERT_TRUE(server) << LastStartFailure();
  WriteFile(server->root() + "/hello.txt", "hi");
  RawFtpClient c(server->host(), server->port());
  ASSERT_EQ(logIn(c, server->user(), server->password()).substr(0, 3), "230");
  std::string listing = c.listActive();
  EXPECT_NE(listing.find("hello.txt"), std::string::npos) << listing;
  listing = c.listActive(/*extended=*/true);
  EXPECT_NE(listing.find("hello.txt"), std::string::npos) << listing;
}

TEST(PyftpdlibFixture, ServesIpv6Loopback) {
  auto server = StartPyftpdlib({.ipv6 = true});
  ASSERT_TRUE(server) << LastStartFailure();
  EXPECT_EQ(server->address(), "[::1]:" + std::to_string(server->port()));
  RawFtpClient c("::1", server->port());
  ASSERT_TRUE(c.connected());
  EXPECT_EQ(logIn(c, server->user(), server->password()).substr(0, 3), "230");
}

TEST(PyftpdlibFixture, WriteRightsFollowOptions) {
  auto server = StartPyftpdlib({.anonymousWrite = false, .readOnlyFolders = {"locked"}});
  ASSERT_TRUE(server) << LastStartFailure();
  RawFtpClient anon(server->host(), server->port());
  ASSERT_EQ(logIn(anon, "anonymous", "guest@").substr(0, 3), "230");
  EXPECT_EQ(anon.command("MKD byanon").substr(0, 3), "550");
  RawFtpClient user(server->host(), server->port());
  ASSERT_EQ(logIn(user, server->user(), server->password()).substr(0, 3), "230");
  EXPECT_EQ(user.command("MKD byuser").substr(0, 3), "257");
  EXPECT_EQ(user.command("MKD locked/inner").substr(0, 3), "550");
  EXPECT_TRUE(std::filesystem::is_directory(server->root() + "/byuser"));
}

TEST(PyftpdlibFixture, RefusesAnonymousWhenDisabled) {
  auto server = StartPyftpdlib({.anonymous = false});
  ASSERT_TRUE(server) << LastStartFailure();
  RawFtpClient c(server->host(), server->port());
  EXPECT_EQ(logIn(c, "anonymous", "guest@").substr(0, 3), "530");
}

TEST(PyftpdlibFixture, StopsWithoutLeavingProcessOrFolder) {
  auto server = StartPyftpdlib();
  ASSERT_TRUE(server) << LastStartFailure();
  expectStopsCleanly(std::move(server));
}

TEST(ScriptedFixture, PlaysItsScenarioRecordsCommandsAndStopsCleanly) {
  auto server = StartScriptedFtpd("multi-line-error");
  ASSERT_TRUE(server) << LastStartFailure();
  RawFtpClient c(server->host(), server->port());
  ASSERT_EQ(logIn(c, "anyone", "any").substr(0, 3), "230");
  EXPECT_EQ(c.command("DELE x"),
            "550-Cannot delete x:\n550-the file is locked\n550 by another session.");
  EXPECT_EQ(c.command("PWD"), "257 \"/\" is the current directory.");
  EXPECT_EQ(server->commands(),
            (std::vector<std::string>{"USER anyone", "PASS ****", "DELE x", "PWD"}));
  EXPECT_EQ(StartScriptedFtpd("no-such-scenario"), nullptr);
  EXPECT_NE(LastStartFailure().find("no-such-scenario"), std::string::npos) << LastStartFailure();
  expectStopsCleanly(std::move(server));
}

#define START_VSFTPD_OR_SKIP(server, ...)                            \
  auto server = StartVsftpd(__VA_ARGS__);                            \
  if (!server && geteuid() != 0) GTEST_SKIP() << LastStartFailure(); \
  ASSERT_TRUE(server) << LastStartFailure()

TEST(VsftpdFixture, AcceptsLoginAndRecordsCommandsWithPasswordMasked) {
  START_VSFTPD_OR_SKIP(server);
  RawFtpClient c(server->host(), server->port());
  ASSERT_TRUE(c.connected());
  EXPECT_EQ(logIn(c, server->user(), server->password()).substr(0, 3), "230");
  EXPECT_EQ(c.command("PWD").substr(0, 7), "257 \"/\"");
  std::vector<std::string> expected = {"USER " + server->user(), "PASS ****", "PWD"};
  EXPECT_EQ(server->commands(), expected);
}

TEST(VsftpdFixture, UserWritesAndListsOverActiveMode) {
  START_VSFTPD_OR_SKIP(server);
  WriteFile(server->root() + "/placed.txt", "x");
  server->handRootToServer();
  RawFtpClient c(server->host(), server->port());
  ASSERT_EQ(logIn(c, server->user(), server->password()).substr(0, 3), "230");
  std::string listing = c.listActive(/*extended=*/true);
  EXPECT_NE(listing.find("placed.txt"), std::string::npos) << listing;
  EXPECT_EQ(c.command("MKD made").substr(0, 3), "257");
  EXPECT_EQ(c.command("DELE placed.txt").substr(0, 3), "250");
  EXPECT_TRUE(std::filesystem::is_directory(server->root() + "/made"));
}

TEST(VsftpdFixture, AnonymousIsReadOnlyOrRefused) {
  START_VSFTPD_OR_SKIP(server);
  RawFtpClient c(server->host(), server->port());
  ASSERT_EQ(logIn(c, "anonymous", "guest@").substr(0, 3), "230");
  EXPECT_EQ(c.command("MKD byanon").substr(0, 3), "550");
  START_VSFTPD_OR_SKIP(closed, {.anonymous = false});
  RawFtpClient d(closed->host(), closed->port());
  EXPECT_EQ(logIn(d, "anonymous", "guest@").substr(0, 3), "530");
}

TEST(VsftpdFixture, TwoServersServeTheirOwnFolders) {
  START_VSFTPD_OR_SKIP(first);
  START_VSFTPD_OR_SKIP(second);
  EXPECT_NE(first->port(), second->port());
  WriteFile(first->root() + "/only-first.txt", "1");
  WriteFile(second->root() + "/only-second.txt", "2");
  RawFtpClient a(first->host(), first->port());
  RawFtpClient b(second->host(), second->port());
  ASSERT_EQ(logIn(a, first->user(), first->password()).substr(0, 3), "230");
  ASSERT_EQ(logIn(b, second->user(), second->password()).substr(0, 3), "230");
  std::string la = a.listActive(), lb = b.listActive();
  EXPECT_NE(la.find("only-first.txt"), std::string::npos) << la;
  EXPECT_EQ(la.find("only-second.txt"), std::string::npos) << la;
  EXPECT_NE(lb.find("only-second.txt"), std::string::npos) << lb;
}

TEST(VsftpdFixture, StopsWithoutLeavingSessionProcessesOrFolder) {
  START_VSFTPD_OR_SKIP(server);
  expectStopsCleanly(std::move(server));
}

// proftpd and pure-ftpd in clear: each logs in its user, serves and writes its own folder as the
// session user, and stops together with its session processes.
TEST(UnpackedServerFixtures, ProftpdAndPureFtpdServeTheirFolderAndStopCleanly) {
  struct Case {
    std::unique_ptr<FtpServer> (*start)();
    bool logsCommands;
  };
  const Case cases[] = {{[] { return StartProftpd(); }, true},
                        {[] { return StartPureFtpd(); }, false}};
  for (const Case& c : cases) {
    auto server = c.start();
    if (!server &&
        (geteuid() != 0 || LastStartFailure().find(" is missing") != std::string::npos)) {
      GTEST_SKIP() << LastStartFailure();
    }
    ASSERT_TRUE(server) << LastStartFailure();
    WriteFile(server->root() + "/placed.txt", "x");
    server->handRootToServer();
    RawFtpClient client(server->host(), server->port());
    ASSERT_EQ(logIn(client, server->user(), server->password()).substr(0, 3), "230");
    const std::string listing = client.listActive(/*extended=*/true);
    EXPECT_NE(listing.find("placed.txt"), std::string::npos) << listing;
    EXPECT_EQ(client.command("DELE placed.txt").substr(0, 3), "250");
    EXPECT_EQ(client.command("MKD made").substr(0, 3), "257");
    EXPECT_TRUE(std::filesystem::is_directory(server->root() + "/made"));
    const std::vector<std::string> logged = {"USER " + server->user(), "PASS ****", "EPRT", "LIST",
                                             "DELE placed.txt",        "MKD made"};
    if (c.logsCommands) {
      std::vector<std::string> commands = server->commands();
      ASSERT_EQ(commands.size(), logged.size());
      commands[2].resize(4);  // EPRT's port differs from run to run
      EXPECT_EQ(commands, logged);
    }
    expectStopsCleanly(std::move(server));
  }
}

}  // namespace
}  // namespace testsupport
