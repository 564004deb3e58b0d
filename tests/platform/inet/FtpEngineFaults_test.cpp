// The engine against the scripted misbehaving server: each fault gives its error code and
// leaves the connection, the local files and the server's view as they should be.
#include <dirent.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/scripted/ScriptedFtpd.h"

namespace inet {
namespace {

using testsupport::Scenario;
using testsupport::ScriptedFtpd;
using testsupport::TempDir;
using namespace inet::testing;

class EngineFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    const HandleResult opened =
        m_api->InternetOpenA(nullptr, kOpenTypePreconfig, nullptr, nullptr, 0);
    ASSERT_NE(opened.handle, 0u);
    m_root = opened.handle;
  }

  HandleResult connect(ScriptedFtpd& server, uint32_t flags = kFlagPassive) {
    return m_api->InternetConnectA(m_root, server.address().c_str(), 21, "tester", "secret",
                                   kServiceFtp, flags, 0);
  }

  Handle connected(ScriptedFtpd& server) {
    const HandleResult result = connect(server);
    EXPECT_NE(result.handle, 0u) << "error " << result.error;
    return result.handle;
  }

  BoolResult pwd(Handle connection) {
    char buffer[kMaxPath + 1] = {};
    uint32_t length = kMaxPath;
    return m_api->FtpGetCurrentDirectoryA(connection, buffer, &length);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(ShortTimeouts());
  Handle m_root = 0;
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

TEST_F(EngineFaults, CloseBeforeGreetingAbortsTheConnect) {
  ScriptedFtpd server(Scenario::CloseBeforeGreeting);
  const HandleResult result = connect(server);
  EXPECT_EQ(result.handle, 0u);
  EXPECT_EQ(result.error, kErrorInternetConnectionAborted);
}

TEST_F(EngineFaults, CloseAfterPassAbortsTheConnectAndHidesThePassword) {
  ScriptedFtpd server(Scenario::CloseAfterPass);
  const HandleResult result = connect(server);
  EXPECT_EQ(result.error, kErrorInternetConnectionAborted);
  EXPECT_TRUE(Contains(server.commands(), "USER tester"));
  EXPECT_TRUE(Contains(server.commands(), "PASS ****"));
}

TEST_F(EngineFaults, StalledServerTimesOutAndTheConnectionIsDroppedAfterwards) {
  ScriptedFtpd server(Scenario::Stall);
  const Handle connection = connected(server);
  EXPECT_EQ(pwd(connection).error, kErrorInternetTimeout);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
  EXPECT_EQ(m_api->FtpDeleteFileA(connection, "x").error, kErrorFtpDropped);
  EXPECT_TRUE(m_api->InternetCloseHandle(connection).ok);
}

TEST_F(EngineFaults, DropInTheMiddleOfAReplyAbortsAndDropsTheConnection) {
  ScriptedFtpd server(Scenario::DropMidReply);
  const Handle connection = connected(server);
  EXPECT_EQ(pwd(connection).error, kErrorInternetConnectionAborted);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, ReplyLineOf100KiBEndsTheConnection) {
  ScriptedFtpd server(Scenario::LongReplyLine);
  const Handle connection = connected(server);
  EXPECT_EQ(pwd(connection).error, kErrorInternetConnectionAborted);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, CloseDuringListingAbortsTheFind) {
  ScriptedFtpd server(Scenario::CloseDuringList);
  const Handle connection = connected(server);
  uint32_t error = 0;
  EXPECT_TRUE(ListAll(*m_api, connection, "*.*", &error).empty());
  EXPECT_EQ(error, kErrorInternetConnectionAborted);
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, RememberedCurrentDirectoryIsNotGivenOnceTheConnectionDropped) {
  ScriptedFtpd server(Scenario::CloseDuringList);
  const Handle connection = connected(server);
  ASSERT_TRUE(pwd(connection).ok);
  uint32_t error = 0;
  EXPECT_TRUE(ListAll(*m_api, connection, "*.*", &error).empty());
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, CloseInTheMiddleOfAnUploadFails) {
  ScriptedFtpd server(Scenario::CloseDuringStor);
  TempDir dir;
  testsupport::WriteFile(dir.file("big.bin"), std::string(8 << 20, 'b'));
  const Handle connection = connected(server);
  const BoolResult put = m_api->FtpPutFileA(connection, dir.file("big.bin").c_str(), "big.bin",
                                            kTransferTypeBinary, 0);
  EXPECT_FALSE(put.ok);
  EXPECT_EQ(put.error, kErrorInternetConnectionAborted);
  EXPECT_EQ(server.files().count("big.bin"), 0u);
}

TEST_F(EngineFaults, CloseAfterTheDataButBefore226KeepsTheOldLocalFile) {
  ScriptedFtpd server(Scenario::CloseBefore226);
  TempDir dir;
  testsupport::WriteFile(dir.file("hello.txt"), "old content");
  const Handle connection = connected(server);
  const BoolResult get = m_api->FtpGetFileA(connection, "hello.txt", dir.file("hello.txt").c_str(),
                                            0, 0, kFlagReload | kTransferTypeBinary, 0);
  EXPECT_EQ(get.error, kErrorInternetConnectionAborted);
  EXPECT_EQ(testsupport::ReadFile(dir.file("hello.txt")), "old content");
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"hello.txt"});  // no temp file
}

TEST_F(EngineFaults, StalledDownloadTimesOutAndLeavesNoTemporaryFile) {
  ScriptedFtpd server(Scenario::StallDuringRetr);
  TempDir dir;
  const Handle connection = connected(server);
  const BoolResult get = m_api->FtpGetFileA(connection, "hello.txt", dir.file("h").c_str(), 0, 0,
                                            kTransferTypeBinary, 0);
  EXPECT_EQ(get.error, kErrorInternetTimeout);
  EXPECT_TRUE(FolderNames(dir.path()).empty());
  EXPECT_EQ(pwd(connection).error, kErrorFtpDropped);
}

TEST_F(EngineFaults, StorRefusedWith452IsAServerErrorWithItsText) {
  ScriptedFtpd server(Scenario::StorRefused452);
  TempDir dir;
  testsupport::WriteFile(dir.file("a.txt"), "abc");
  const Handle connection = connected(server);
  const BoolResult put =
      m_api->FtpPutFileA(connection, dir.file("a.txt").c_str(), "a.txt", kTransferTypeBinary, 0);
  EXPECT_EQ(put.error, kErrorInternetExtendedError);
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, 452u);
  EXPECT_EQ(last.text, "452 Insufficient storage space.\r\n");
}

TEST_F(EngineFaults, Reply552DuringAnUploadWinsOverTheBrokenDataConnection) {
  ScriptedFtpd server(Scenario::StorRefused552Mid);
  TempDir dir;
  testsupport::WriteFile(dir.file("big.bin"), std::string(8 << 20, 'c'));
  const Handle connection = connected(server);
  const BoolResult put = m_api->FtpPutFileA(connection, dir.file("big.bin").c_str(), "big.bin",
                                            kTransferTypeBinary, 0);
  EXPECT_EQ(put.error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 552u);
  // The server explained itself, so the session goes on.
  EXPECT_TRUE(pwd(connection).ok);
}

TEST_F(EngineFaults, PasvNamingAForeignAddressStillConnectsToTheControlPeer) {
  ScriptedFtpd server(Scenario::PasvForeignAddress);
  const Handle connection = connected(server);
  uint32_t error = 0;
  const auto entries = ListAll(*m_api, connection, "*.*", &error);
  ASSERT_EQ(entries.size(), 1u) << "error " << error;
  EXPECT_EQ(entries[0].name, "hello.txt");
  EXPECT_EQ(error, kErrorNoMoreFiles);
}

TEST_F(EngineFaults, EpsvRefusedFallsBackToPasvForTheRestOfTheSession) {
  ScriptedFtpd server(Scenario::EpsvRefused);
  TempDir dir;
  const Handle connection = connected(server);
  uint32_t error = 0;
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_TRUE(m_api
                  ->FtpGetFileA(connection, "hello.txt", dir.file("h").c_str(), 0, 0,
                                kTransferTypeBinary, 0)
                  .ok);
  EXPECT_EQ(testsupport::ReadFile(dir.file("h")), "hello\r\nworld\r\n");
  EXPECT_EQ(CountPrefix(server.commands(), "EPSV"), 1u);
  EXPECT_EQ(CountPrefix(server.commands(), "PASV"), 2u);
}

TEST_F(EngineFaults, MultiLineErrorReplyIsKeptWhole) {
  ScriptedFtpd server(Scenario::MultiLineError);
  const Handle connection = connected(server);
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
  ScriptedFtpd server(Scenario::GarbageListing);
  const Handle connection = connected(server);
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
  ScriptedFtpd server(Scenario::MlsdRefused);
  const Handle connection = connected(server);
  uint32_t error = 0;
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  EXPECT_EQ(CountPrefix(server.commands(), "MLSD"), 1u);
  EXPECT_EQ(CountPrefix(server.commands(), "LIST"), 2u);
}

}  // namespace
}  // namespace inet
