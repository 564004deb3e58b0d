// The SFTP session against the scripted misbehaving SSH server: every wait ends, nothing is
// claimed that was not stored, and names and listings from the server are taken as untrusted.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/SshServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using namespace inet::testing;
using Clock = std::chrono::steady_clock;

class SftpFault : public ::testing::Test {
 protected:
  SftpFault() {
    m_options = ShortTimeouts();
    m_options.replyTimeout = std::chrono::milliseconds(1500);
    m_options.knownHostsFile = m_local.file("Quillpst.known_hosts");
    m_options.privateKeyFile = m_local.file("Quillpst.key");
  }

  std::unique_ptr<FtpServer> start(const std::string& scenario,
                                   const std::vector<std::string>& more = {}) {
    auto server = testsupport::StartScriptedSshd(scenario, more);
    if (server) testsupport::WriteFile(m_options.knownHostsFile, server->hostKeys());
    m_api = MakeFtpEngine(m_options);
    m_root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
    return server;
  }

  HandleResult connect(const FtpServer& server, const char* password = "secret") {
    const std::string name = "sftp://" + server.address();
    return m_api->InternetConnectA(m_root, name.c_str(), 21, "tester", password, kServiceFtp, 0, 0);
  }

  std::vector<std::string> listNames(Handle c, uint32_t* error) {
    std::vector<std::string> names;
    for (const Listed& entry : ListAll(*m_api, c, "*", error)) names.push_back(entry.name);
    return names;
  }

  TempDir m_local;
  EngineOptions m_options;
  std::unique_ptr<InternetApi> m_api;
  Handle m_root = 0;
};

long long millisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(SftpFault, AServerThatSaysNothingOrNoSshEndsTheConnectionInTimeBeforeAnyLogIn) {
  for (const char* scenario : {"silent", "stall-after-banner", "garbage-banner"}) {
    SCOPED_TRACE(scenario);
    const auto server = start(scenario);
    ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
    const auto began = Clock::now();
    const HandleResult connected = connect(*server);
    EXPECT_EQ(connected.handle, 0u);
    EXPECT_TRUE(connected.error == kErrorInternetTimeout ||
                connected.error == kErrorSshNegotiationFailed)
        << connected.error;
    EXPECT_LT(millisecondsSince(began), m_options.replyTimeout.count() + 1500);
    EXPECT_EQ(CountPrefix(server->commands(), "AUTH"), 0u);
  }
}

TEST_F(SftpFault, KeyboardInteractiveIsAnsweredWithThePasswordAndAServersWordsReachTheBox) {
  auto server = start("keyboard-only");
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  const HandleResult connected = connect(*server);
  ASSERT_NE(connected.handle, 0u) << connected.error;
  EXPECT_TRUE(Contains(server->commands(), "AUTH keyboard-interactive"));
  EXPECT_TRUE(m_api->InternetCloseHandle(connected.handle).ok);
  EXPECT_EQ(connect(*server, "wrong").error, kErrorSshAuthenticationRefused);
  // A server that disconnects with a reason: its words, not only ours.
  server = start("disconnect-auth");
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  EXPECT_EQ(connect(*server).error, kErrorInternetExtendedError);
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, kErrorInternetConnectionAborted);
  EXPECT_NE(last.text.find("closed for maintenance"), std::string::npos) << last.text;
}

TEST_F(SftpFault, AnUploadThatStallsOrIsCutEndsInTimeAndTheConnectionIsDropped) {
  testsupport::WriteFile(m_local.file("up"), std::string(4 << 20, 'u'));
  for (const char* scenario : {"stall-write", "close-mid-upload"}) {
    SCOPED_TRACE(scenario);
    const auto server = start(scenario);
    ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
    const HandleResult connected = connect(*server);
    ASSERT_NE(connected.handle, 0u) << connected.error;
    const auto began = Clock::now();
    const BoolResult put =
        m_api->FtpPutFileA(connected.handle, m_local.file("up").c_str(), "up.bin", 2, 0);
    EXPECT_FALSE(put.ok);
    EXPECT_EQ(put.error, std::string(scenario) == "stall-write" ? kErrorInternetTimeout
                                                                : kErrorInternetConnectionAborted);
    EXPECT_LT(millisecondsSince(began), m_options.dataIdleTimeout.count() + 2000);
    uint64_t size = 0;
    EXPECT_EQ(m_api->FtpGetFileSizeA(connected.handle, "up.bin", &size).error, kErrorFtpDropped);
  }
}

TEST_F(SftpFault, WritesAcknowledgedButNotStoredShowInTheStoredSize) {
  const auto server = start("acknowledge-only");
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  testsupport::WriteFile(m_local.file("up"), std::string(300000, 'u'));
  const HandleResult connected = connect(*server);
  ASSERT_NE(connected.handle, 0u) << connected.error;
  // The server's word is all an upload has; the size it then tells is what betrays it.
  ASSERT_TRUE(m_api->FtpPutFileA(connected.handle, m_local.file("up").c_str(), "up.bin", 2, 0).ok);
  uint64_t size = 1;
  ASSERT_TRUE(m_api->FtpGetFileSizeA(connected.handle, "up.bin", &size).ok);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(m_api->FtpGetFileSizeA(connected.handle, "none", &size).error, kErrorSftpNoSuchFile);
}

TEST_F(SftpFault, AListingPastTheCapIsCutAndSaysSoOnce) {
  m_options.maxListingBytes = 64 * 1024;
  const auto server = start("huge-listing", {"--entries", "20000"});
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  const HandleResult connected = connect(*server);
  ASSERT_NE(connected.handle, 0u) << connected.error;
  uint32_t error = 0;
  const auto cut = listNames(connected.handle, &error);
  EXPECT_EQ(error, kErrorMoreData);
  EXPECT_GT(cut.size(), 1000u);
  EXPECT_LT(cut.size(), 20000u);
  // Below the cap the session goes on and every entry arrives.
  m_options.maxListingBytes = 64u << 20;
  m_api = MakeFtpEngine(m_options);
  m_root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
  const HandleResult again = connect(*server);
  ASSERT_NE(again.handle, 0u);
  EXPECT_EQ(listNames(again.handle, &error).size(), 20000u);
  EXPECT_EQ(error, kErrorNoMoreFiles);
}

TEST_F(SftpFault, NamesThatCouldReachAnotherFolderOrBreakALineAreNeverEntries) {
  const auto server = start("hostile-names");
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  const HandleResult connected = connect(*server);
  ASSERT_NE(connected.handle, 0u) << connected.error;
  uint32_t error = 0;
  EXPECT_EQ(listNames(connected.handle, &error), std::vector<std::string>{"good.txt"});
  EXPECT_EQ(error, kErrorNoMoreFiles);
}

}  // namespace
}  // namespace inet
