// The engine against the scripted misbehaving server: each fault gives its error code and
// leaves the connection, the local files and the server's view as they should be.
#include <dirent.h>

#include <gtest/gtest.h>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using namespace inet::testing;

// Listings longer than this are cut; the scripted listings except one stay far below it.
constexpr size_t kListingCap = 64 << 10;

class EngineFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    const HandleResult opened =
        m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0);
    ASSERT_NE(opened.handle, 0u);
    m_root = opened.handle;
  }

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

  BoolResult put(Handle connection, const std::string& localFile, const char* remoteName) {
    return m_api->FtpPutFileA(connection, localFile.c_str(), remoteName, kTransferTypeBinary, 0);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(options());
  Handle m_root = 0;
  std::unique_ptr<FtpServer> m_server;
};

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(path.c_str());
  while (dirent* entry = dir ? ::readdir(dir) : nullptr) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (dir) ::closedir(dir);
  return names;
}

// Faults whose whole effect shows in a run of Quillpost (closing before the greeting or after
// PASS, a STOR refused, cut off or confirmed before its data, PASV naming another host, EPSV
// refused or unreadable, stalls and trickles) are checked by the fault matrix, which runs the
// program against this server. Here: what the engine leaves.

TEST_F(EngineFaults, BrokenRepliesAndListingsDropTheConnection) {
  struct Case {
    const char* scenario;
    uint32_t error;  // of the operation that meets the fault
    bool listing;    // the fault is in a listing (PWD works before it)
  };
  const Case cases[] = {
      {"stall", kErrorInternetTimeout, false},
      {"drop-mid-reply", kErrorInternetConnectionAborted, false},
      {"long-reply-line", kErrorInternetConnectionAborted, false},  // 100 KiB
      {"close-during-list", kErrorInternetConnectionAborted, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scenario);
    const Handle connection = connectTo(c.scenario);
    ASSERT_NE(connection, 0u);
    if (c.listing) {
      ASSERT_TRUE(pwd(connection).ok);
      uint32_t error = 0;
      EXPECT_TRUE(ListAll(*m_api, connection, "*.*", &error).empty());
      EXPECT_EQ(error, c.error);
    } else {
      EXPECT_EQ(pwd(connection).error, c.error);
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
  for (const auto& [scenario, error] : cases) {
    SCOPED_TRACE(scenario);
    const Handle connection = connectTo(scenario);
    ASSERT_NE(connection, 0u);
    TempDir dir;
    testsupport::WriteFile(dir.file("hello.txt"), "old content");
    const BoolResult get =
        m_api->FtpGetFileA(connection, "hello.txt", dir.file("hello.txt").c_str(), 0, 0,
                           kFlagReload | kTransferTypeBinary, 0);
    EXPECT_EQ(get.error, error);
    EXPECT_EQ(testsupport::ReadFile(dir.file("hello.txt")), "old content");
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"hello.txt"});
  }
}

TEST_F(EngineFaults, Reply552DuringAnUploadWinsOverTheBrokenDataConnection) {
  const Handle connection = connectTo("stor-552-mid");
  ASSERT_NE(connection, 0u);
  TempDir dir;
  testsupport::WriteFile(dir.file("big.bin"), std::string(8 << 20, 'c'));
  const BoolResult stored = put(connection, dir.file("big.bin"), "big.bin");
  EXPECT_EQ(stored.error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 552u);
  // The server explained itself, so the session goes on.
  EXPECT_TRUE(pwd(connection).ok);
}

TEST_F(EngineFaults, UploadToAServerThatStopsReadingEndsWithATimeout) {
  const Handle connection = connectTo("stall-during-stor");
  ASSERT_NE(connection, 0u);
  TempDir dir;
  // More than the loopback socket buffers hold, so the sender has to wait for the server.
  testsupport::WriteFile(dir.file("big.bin"), std::string(64 << 20, 'd'));
  EXPECT_EQ(put(connection, dir.file("big.bin"), "big.bin").error, kErrorInternetTimeout);
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

TEST_F(EngineFaults, GarbageListingLinesAreSkipped) {
  const Handle connection = connectTo("garbage-listing");
  ASSERT_NE(connection, 0u);
  uint32_t error = 0;
  const auto entries = ListAll(*m_api, connection, nullptr, &error);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "good one.txt");
  EXPECT_EQ(entries[0].attributes, kFileAttributeNormal);
  EXPECT_EQ(entries[0].size, 5u);
  EXPECT_EQ(entries[1].name, "good-dir");
  EXPECT_EQ(entries[1].attributes, kFileAttributeDirectory);
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
  TempDir dir;
  testsupport::WriteFile(dir.file("after.txt"), "after");
  EXPECT_TRUE(put(connection, dir.file("after.txt"), "after.txt").ok);
  EXPECT_EQ(testsupport::ReadFile(m_server->root() + "/after.txt"), "after");
}

}  // namespace
}  // namespace inet
