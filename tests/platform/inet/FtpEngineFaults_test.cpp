// The engine against the scripted misbehaving server: each fault gives its error code and
// leaves the connection, the local files and the server's view as they should be.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

namespace fs = std::filesystem;
using testsupport::FtpServer;
using namespace inet::testing;

// Listings longer than this are cut; the scripted listings except one stay far below it.
constexpr size_t kListingCap = 64 << 10;

class EngineFaults : public ::testing::Test {
 protected:
  static EngineOptions options() {
    EngineOptions options = ShortTimeouts();
    options.maxListingBytes = kListingCap;
    return options;
  }

  // Starts the scripted server playing `scenario` as m_server and logs in; 0 on a failure.
  Handle connectTo(const char* scenario) {
    m_server = testsupport::StartScriptedFtpd(scenario);
    if (!m_server) {
      ADD_FAILURE() << testsupport::LastStartFailure();
      return 0;
    }
    const HandleResult result = m_api->InternetConnectA(
        m_root, m_server->address().c_str(), 21, "tester", "secret", kServiceFtp, kFlagPassive, 0);
    EXPECT_NE(result.handle, 0u) << "error " << result.error;
    return result.handle;
  }

  BoolResult pwd(Handle connection) {
    char buffer[kMaxPath + 1] = {};
    uint32_t length = kMaxPath;
    return m_api->FtpGetCurrentDirectoryA(connection, buffer, &length);
  }

  BoolResult put(Handle connection, const std::string& name) {
    return m_api->FtpPutFileA(connection, m_local.file(name).c_str(), name.c_str(),
                              kTransferTypeBinary, 0);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(options());
  Handle m_root = m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0).handle;
  std::unique_ptr<FtpServer> m_server;
  testsupport::TempDir m_local;
};

// Faults whose whole effect shows in a run of Quillpost (closing before the greeting or after
// PASS, a STOR refused, cut off or confirmed before its data, PASV naming another host, EPSV
// refused or unreadable, stalls and trickles) are checked by the fault matrix, which runs the
// program against this server. Here: what the engine leaves.

TEST_F(EngineFaults, BrokenRepliesAndListingsDropTheConnection) {
  const std::tuple<const char*, uint32_t, bool> cases[] = {
      // scenario, error of the operation that meets the fault, whether that is a listing
      {"stall", kErrorInternetTimeout, false},
      {"drop-mid-reply", kErrorInternetConnectionAborted, false},
      {"long-reply-line", kErrorInternetConnectionAborted, false},  // 100 KiB
      {"close-during-list", kErrorInternetConnectionAborted, true},
  };
  for (const auto& [scenario, error, listing] : cases) {
    SCOPED_TRACE(scenario);
    const Handle connection = connectTo(scenario);
    ASSERT_NE(connection, 0u);
    if (listing) {
      ASSERT_TRUE(pwd(connection).ok);
      uint32_t listError = 0;
      EXPECT_TRUE(ListAll(*m_api, connection, "*.*", &listError).empty());
      EXPECT_EQ(listError, error);
    } else {
      EXPECT_EQ(pwd(connection).error, error);
    }
    // Not even the remembered directory is given any more.
    EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
    EXPECT_EQ(m_api->FtpDeleteFileA(connection, "x").error, kErrorFtpDropped);
    EXPECT_TRUE(m_api->InternetCloseHandle(connection).ok);
  }
}

TEST_F(EngineFaults, BrokenDownloadKeepsTheOldLocalFileAndLeavesNoTemporaryFile) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"close-before-226", kErrorInternetConnectionAborted},  // all data, then no 226
      {"stall-during-retr", kErrorInternetTimeout},
      {"retr-short", kErrorHandleEof}};  // half the data, then 226 all the same
  testsupport::WriteFile(m_local.file("hello.txt"), "old content");
  for (const auto& [scenario, error] : cases) {
    SCOPED_TRACE(scenario);
    const Handle connection = connectTo(scenario);
    ASSERT_NE(connection, 0u);
    EXPECT_EQ(m_api
                  ->FtpGetFileA(connection, "hello.txt", m_local.file("hello.txt").c_str(), 0, 0,
                                kFlagReload | kTransferTypeBinary, 0)
                  .error,
              error);
    EXPECT_EQ(testsupport::ReadFile(m_local.file("hello.txt")), "old content");
    EXPECT_EQ(std::distance(fs::directory_iterator(m_local.path()), {}), 1);
  }
}

TEST_F(EngineFaults, BrokenUploadEndsTheSessionUnlessTheServerExplainedItself) {
  // More than the loopback socket buffers hold, so the sender has to wait for the server.
  testsupport::WriteFile(m_local.file("big.bin"), std::string(64 << 20, 'd'));
  Handle connection = connectTo("stor-552-mid");
  ASSERT_NE(connection, 0u);
  // The 552 wins over the broken data connection.
  EXPECT_EQ(put(connection, "big.bin").error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 552u);
  EXPECT_TRUE(pwd(connection).ok);
  connection = connectTo("stall-during-stor");
  ASSERT_NE(connection, 0u);
  EXPECT_EQ(put(connection, "big.bin").error, kErrorInternetTimeout);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, MultiLineErrorReplyIsKeptWhole) {
  const Handle connection = connectTo("multi-line-error");
  ASSERT_NE(connection, 0u);
  EXPECT_EQ(m_api->FtpDeleteFileA(connection, "locked.txt").error, kErrorInternetExtendedError);
  const std::string expected =
      "550-Cannot delete locked.txt:\r\n550-the file is locked\r\n550 by another session.\r\n";
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, 550u);
  EXPECT_EQ(last.text, expected);
  // Too small a buffer: the size needed, the buffer untouched.
  char small[8] = "keep";
  uint32_t length = sizeof small;
  uint32_t code = 0;
  EXPECT_EQ(m_api->InternetGetLastResponseInfoA(&code, small, &length).error,
            kErrorInsufficientBuffer);
  EXPECT_EQ(length, expected.size() + 1);
  EXPECT_STREQ(small, "keep");
}

TEST_F(EngineFaults, MlsdRefusedFallsBackToListOnce) {
  const Handle connection = connectTo("mlsd-500");
  ASSERT_NE(connection, 0u);
  uint32_t error = 0;
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(CountPrefix(m_server->commands(), "MLSD"), 1u);
  EXPECT_EQ(CountPrefix(m_server->commands(), "LIST"), 2u);
}

TEST_F(EngineFaults, ListingOverTheCapKeepsTheEntriesThatFitAndTheSession) {
  // 20,000 lines of about 55 bytes, "file0.txt" to "file19999.txt".
  const Handle connection = connectTo("listing-over-cap");
  ASSERT_NE(connection, 0u);
  uint32_t error = 0;
  const auto entries = ListAll(*m_api, connection, nullptr, &error);
  EXPECT_EQ(error, kErrorMoreData);
  size_t fit = 0;  // the whole lines within the cap
  for (size_t bytes = 0;; ++fit) {
    bytes +=
        ("-rw-r--r-- 1 user group 5 Jan  1  2020 file" + std::to_string(fit) + ".txt\r\n").size();
    if (bytes > kListingCap) break;
  }
  ASSERT_EQ(entries.size(), fit);
  for (size_t i = 0; i < fit; ++i) ASSERT_EQ(entries[i].name, "file" + std::to_string(i) + ".txt");
  // The rest of the listing and its final reply are dealt with: the next upload is stored.
  testsupport::WriteFile(m_local.file("after.txt"), "after");
  EXPECT_TRUE(put(connection, "after.txt").ok);
  EXPECT_EQ(testsupport::ReadFile(m_server->root() + "/after.txt"), "after");
}

}  // namespace
}  // namespace inet
