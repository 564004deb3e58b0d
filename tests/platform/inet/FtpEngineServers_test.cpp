// The engine against real servers started on loopback: pyftpdlib (MLSD, UTF8, IPv6, every
// command logged) and vsftpd (LIST only).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/inet/FtpEngine.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using namespace inet::testing;

constexpr uint64_t kFiveGiB = 5ull << 30;

std::string calendar(const FileTime& time) {
  SystemTime st;
  if (!FileTimeToSystemTime(time, &st)) return "invalid";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  return text;
}

// Every byte value, and line ends of both kinds, to catch any conversion in binary mode.
std::string binaryContent() {
  std::string bytes;
  for (int round = 0; round < 300; ++round) {
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    bytes += "\r\n\n\r";
  }
  return bytes;
}

void makeSparseFile(const std::string& path, uint64_t size) {
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(size)), 0);
  ::close(fd);
}

// 2021-06-15 10:20:30 UTC
void setKnownTime(const std::string& path) {
  const timespec times[2] = {{1623752430, 0}, {1623752430, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class RealServer : public ::testing::Test {
 protected:
  // Connects as the server's user; fails the test when that does not work.
  Handle login(const FtpServer& server, uint32_t flags = kFlagPassive) {
    const HandleResult result =
        m_api->InternetConnectA(root(), server.address().c_str(), 21, server.user().c_str(),
                                server.password().c_str(), kServiceFtp, flags, 0);
    EXPECT_NE(result.handle, 0u) << "error " << result.error;
    return result.handle;
  }

  Handle root() {
    if (m_root == 0) m_root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
    return m_root;
  }

  BoolResult put(Handle connection, const std::string& local, const char* remote,
                 uint32_t type = kTransferTypeBinary) {
    return m_api->FtpPutFileA(connection, local.c_str(), remote, type, 0);
  }

  BoolResult get(Handle connection, const char* remote, const std::string& local,
                 uint32_t type = kTransferTypeBinary, int32_t failIfExists = 0) {
    return m_api->FtpGetFileA(connection, remote, local.c_str(), failIfExists, 0,
                              kFlagReload | type, 0);
  }

  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(ShortTimeouts());
  Handle m_root = 0;
  TempDir m_local;
};

#define START_OR_SKIP(server, start) \
  auto server = start;               \
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();

TEST_F(RealServer, PyftpdlibLogsInAsUserAndAnonymously) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  EXPECT_NE(login(*server), 0u);
  const HandleResult anonymous = m_api->InternetConnectA(
      root(), server->address().c_str(), 21, nullptr, nullptr, kServiceFtp, kFlagPassive, 0);
  EXPECT_NE(anonymous.handle, 0u) << "error " << anonymous.error;
  EXPECT_TRUE(Contains(server->commands(), "USER anonymous"));
  // The port may also come as the argument.
  const HandleResult byArgument = m_api->InternetConnectA(
      root(), server->host().c_str(), server->port(), server->user().c_str(),
      server->password().c_str(), kServiceFtp, kFlagPassive, 0);
  EXPECT_NE(byArgument.handle, 0u) << "error " << byArgument.error;
}

TEST_F(RealServer, WrongPasswordIsRefusedWithTheServers530) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const HandleResult result = m_api->InternetConnectA(
      root(), server->address().c_str(), 21, server->user().c_str(), "wrong", kServiceFtp, 0, 0);
  EXPECT_EQ(result.handle, 0u);
  EXPECT_EQ(result.error, kErrorInternetExtendedError);
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, 530u);
  EXPECT_EQ(last.text.rfind("530 ", 0), 0u) << last.text;
  EXPECT_EQ(last.text.find("wrong"), std::string::npos);
}

class RealServerModes : public RealServer, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(RealServerModes, BinaryTransfersAreByteExact) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server, GetParam());
  const std::string content = binaryContent();
  testsupport::WriteFile(m_local.file("up.bin"), content);
  ASSERT_TRUE(put(connection, m_local.file("up.bin"), "remote.bin").ok);
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/remote.bin"), content);
  ASSERT_TRUE(get(connection, "remote.bin", m_local.file("down.bin")).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("down.bin")), content);
  const bool passive = GetParam() == kFlagPassive;
  EXPECT_EQ(CountPrefix(server->commands(), passive ? "EPSV" : "EPRT"), 2u);
}

TEST_P(RealServerModes, AsciiTransfersConvertLineEnds) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server, GetParam());
  testsupport::WriteFile(m_local.file("up.txt"), "one\ntwo\r\nthree\n\nend");
  ASSERT_TRUE(put(connection, m_local.file("up.txt"), "up.txt", kTransferTypeAscii).ok);
  // pyftpdlib stores ASCII uploads in its own line ends (LF); the wire form is checked
  // byte for byte against the scripted server, which stores what it receives.
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/up.txt"), "one\ntwo\nthree\n\nend");
  testsupport::WriteFile(server->root() + "/crlf.txt", "a\r\nb\r\n\r\nc\rd");
  ASSERT_TRUE(get(connection, "crlf.txt", m_local.file("crlf.txt"), kTransferTypeAscii).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("crlf.txt")), "a\nb\n\nc\rd");
}

INSTANTIATE_TEST_SUITE_P(PassiveAndActive, RealServerModes, ::testing::Values(kFlagPassive, 0u),
                         [](const auto& info) {
                           return info.param == kFlagPassive ? "Passive" : "Active";
                         });

TEST_F(RealServer, LargeBinaryUploadArrivesWholeThroughPartialWrites) {
  // Far more than the socket buffers hold: blocks go out in pieces as the server reads.
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  std::mt19937 random(7);
  std::string content(24 << 20, '\0');
  for (char& c : content) c = static_cast<char>(random() & 0xFF);
  testsupport::WriteFile(m_local.file("big.bin"), content);
  ASSERT_TRUE(put(connection, m_local.file("big.bin"), "big.bin").ok);
  EXPECT_TRUE(testsupport::ReadFile(server->root() + "/big.bin") == content);
}

TEST_F(RealServer, TypeIsSentOnlyWhenItChanges) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  testsupport::WriteFile(m_local.file("f"), "x\n");
  ASSERT_TRUE(put(connection, m_local.file("f"), "a").ok);
  ASSERT_TRUE(put(connection, m_local.file("f"), "b").ok);
  ASSERT_TRUE(put(connection, m_local.file("f"), "c", kTransferTypeAscii).ok);
  ASSERT_TRUE(get(connection, "c", m_local.file("g"), kTransferTypeAscii).ok);
  ASSERT_TRUE(get(connection, "a", m_local.file("h")).ok);
  std::vector<std::string> types;
  for (const auto& line : server->commands()) {
    if (line.rfind("TYPE", 0) == 0) types.push_back(line);
  }
  EXPECT_EQ(types, (std::vector<std::string>{"TYPE I", "TYPE A", "TYPE I"}));
}

TEST_F(RealServer, DownloadReplacesTheFileByRenameNeverInPlace) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  testsupport::WriteFile(server->root() + "/new.txt", "new content");
  testsupport::WriteFile(m_local.file("target"), "old content");
  // A second name for the old file: writing in place would change it too.
  ASSERT_EQ(::link(m_local.file("target").c_str(), m_local.file("other-name").c_str()), 0);
  EXPECT_EQ(get(connection, "new.txt", m_local.file("target"), kTransferTypeBinary, 1).error,
            kErrorFileExists);
  ASSERT_TRUE(get(connection, "new.txt", m_local.file("target")).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("target")), "new content");
  EXPECT_EQ(testsupport::ReadFile(m_local.file("other-name")), "old content");
  EXPECT_EQ(CountPrefix(server->commands(), "RETR"), 1u);
}

TEST_F(RealServer, MlsdListingGivesDirectoriesSizesOver4GiBAndUtcTimes) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  ASSERT_EQ(::mkdir((server->root() + "/sub").c_str(), 0755), 0);
  makeSparseFile(server->root() + "/huge.bin", kFiveGiB);
  setKnownTime(server->root() + "/huge.bin");
  const Handle connection = login(*server);
  uint32_t error = 0;
  auto entries = ListAll(*m_api, connection, "*.*", &error);
  EXPECT_EQ(error, kErrorNoMoreFiles);
  ASSERT_EQ(entries.size(), 2u);
  if (entries[0].name != "huge.bin") std::swap(entries[0], entries[1]);
  EXPECT_EQ(entries[0].name, "huge.bin");
  EXPECT_EQ(entries[0].size, kFiveGiB);
  EXPECT_EQ(entries[0].attributes, kFileAttributeNormal);
  EXPECT_EQ(calendar(entries[0].lastWrite), "2021-06-15 10:20:30");
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_EQ(entries[1].attributes, kFileAttributeDirectory);
  EXPECT_EQ(CountPrefix(server->commands(), "MLSD"), 1u);
  EXPECT_EQ(CountPrefix(server->commands(), "LIST"), 0u);
}

TEST_F(RealServer, EmptyDirectoryEndsTheFindAtOnce) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  FindData data;
  const HandleResult find = m_api->FtpFindFirstFileA(connection, "*.*", &data, 0, 0);
  EXPECT_EQ(find.handle, 0u);
  EXPECT_EQ(find.error, kErrorNoMoreFiles);
}

TEST_F(RealServer, RenameDeleteAndDirectoriesChangeTheServersFolder) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  const std::string root = server->root();
  testsupport::WriteFile(root + "/a.txt", "a");
  ASSERT_TRUE(m_api->FtpRenameFileA(connection, "a.txt", "b.txt").ok);
  EXPECT_TRUE(::access((root + "/b.txt").c_str(), F_OK) == 0);
  EXPECT_FALSE(::access((root + "/a.txt").c_str(), F_OK) == 0);
  ASSERT_TRUE(m_api->FtpDeleteFileA(connection, "b.txt").ok);
  EXPECT_FALSE(::access((root + "/b.txt").c_str(), F_OK) == 0);
  EXPECT_EQ(m_api->FtpDeleteFileA(connection, "b.txt").error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 550u);
  ASSERT_TRUE(m_api->FtpCreateDirectoryA(connection, "dir one").ok);
  struct stat info {};
  EXPECT_TRUE(::stat((root + "/dir one").c_str(), &info) == 0 && S_ISDIR(info.st_mode));
  EXPECT_EQ(m_api->FtpRenameFileA(connection, "missing", "x").error, kErrorInternetExtendedError);
  ASSERT_TRUE(m_api->FtpRemoveDirectoryA(connection, "dir one").ok);
  EXPECT_FALSE(::access((root + "/dir one").c_str(), F_OK) == 0);
}

TEST_F(RealServer, CurrentDirectoryFollowsCwd) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  ASSERT_EQ(::mkdir((server->root() + "/sub \"q\"").c_str(), 0755), 0);
  const Handle connection = login(*server);
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(connection, "sub \"q\"").ok);
  char buffer[kMaxPath + 1] = {};
  uint32_t length = kMaxPath;
  ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(connection, buffer, &length).ok);
  EXPECT_STREQ(buffer, "/sub \"q\"");  // sent back with doubled quotes
  EXPECT_EQ(m_api->FtpSetCurrentDirectoryA(connection, "nowhere").error,
            kErrorInternetExtendedError);
}

TEST_F(RealServer, CurrentDirectoryIsAskedAgainOnlyAfterItMayHaveMoved) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  ASSERT_EQ(::mkdir((server->root() + "/sub").c_str(), 0755), 0);
  testsupport::WriteFile(m_local.file("f"), "x\n");
  const Handle connection = login(*server);
  const auto currentDirectory = [&] {
    char buffer[kMaxPath + 1] = {};
    uint32_t length = kMaxPath;
    EXPECT_TRUE(m_api->FtpGetCurrentDirectoryA(connection, buffer, &length).ok);
    return std::string(buffer);
  };
  EXPECT_EQ(currentDirectory(), "/");
  ASSERT_TRUE(put(connection, m_local.file("f"), "a").ok);
  uint32_t error = 0;
  EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 2u);
  EXPECT_EQ(currentDirectory(), "/");
  EXPECT_EQ(CountPrefix(server->commands(), "PWD"), 1u);  // transfers and listings keep it
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(connection, "sub").ok);
  EXPECT_EQ(currentDirectory(), "/sub");
  ASSERT_TRUE(m_api->FtpRenameFileA(connection, "/sub", "/moved").ok);
  currentDirectory();
  EXPECT_EQ(CountPrefix(server->commands(), "PWD"), 3u);
}

TEST_F(RealServer, JapaneseNameRoundTripsThroughAUtf8Server) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  const Handle connection = login(*server);
  const char* ansiName = "\x93\xfa\x96\x7b\x8c\xea.txt";  // "日本語.txt" in CP932
  const std::string utf8Name = "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt";
  // The local path is CP932 too: the file on disk has the UTF-8 name.
  testsupport::WriteFile(m_local.file(utf8Name), "nihongo");
  ASSERT_TRUE(put(connection, m_local.path() + "/" + ansiName, ansiName).ok);
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/" + utf8Name), "nihongo");
  uint32_t error = 0;
  const auto entries = ListAll(*m_api, connection, nullptr, &error);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, ansiName);
  ASSERT_TRUE(get(connection, ansiName, m_local.path() + "/copy-" + ansiName).ok);
  EXPECT_EQ(testsupport::ReadFile(m_local.file("copy-" + utf8Name)), "nihongo");
}

TEST_F(RealServer, InjectionIsRefusedAndNothingReachesTheServer) {
  START_OR_SKIP(server, testsupport::StartPyftpdlib());
  testsupport::WriteFile(server->root() + "/victim", "v");
  const Handle connection = login(*server);
  const size_t before = server->commands().size();
  EXPECT_EQ(m_api->FtpRenameFileA(connection, "x\r\nDELE victim", "y").error,
            kErrorInvalidParameter);
  EXPECT_EQ(m_api->FtpCreateDirectoryA(connection, "d\nDELE victim").error, kErrorInvalidParameter);
  EXPECT_EQ(server->commands().size(), before);
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/victim"), "v");
}

TEST_F(RealServer, Ipv6LoopbackWorksInBothModes) {
  testsupport::PyftpdlibOptions options;
  options.ipv6 = true;
  START_OR_SKIP(server, testsupport::StartPyftpdlib(options));
  testsupport::WriteFile(m_local.file("v6"), "six");
  for (const uint32_t flags : {kFlagPassive, 0u}) {
    const Handle connection = login(*server, flags);
    ASSERT_TRUE(put(connection, m_local.file("v6"), "v6.txt").ok);
    uint32_t error = 0;
    EXPECT_EQ(ListAll(*m_api, connection, "*.*", &error).size(), 1u);
  }
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/v6.txt"), "six");
  EXPECT_TRUE(Contains(server->commands(), "EPSV"));
  EXPECT_EQ(CountPrefix(server->commands(), "EPRT |2|::1|"), 2u);
  // A bare IPv6 literal is an address, the port given apart.
  const HandleResult bare =
      m_api->InternetConnectA(root(), "::1", server->port(), server->user().c_str(),
                              server->password().c_str(), kServiceFtp, 0, 0);
  EXPECT_NE(bare.handle, 0u) << "error " << bare.error;
}

TEST_F(RealServer, VsftpdListsWithListAndTransfersInBothModes) {
  START_OR_SKIP(server, testsupport::StartVsftpd());
  ASSERT_EQ(::mkdir((server->root() + "/sub").c_str(), 0755), 0);
  makeSparseFile(server->root() + "/huge.bin", kFiveGiB);
  setKnownTime(server->root() + "/huge.bin");
  server->handRootToServer();
  testsupport::WriteFile(m_local.file("up.bin"), binaryContent());
  for (const uint32_t flags : {kFlagPassive, 0u}) {
    const Handle connection = login(*server, flags);
    ASSERT_TRUE(put(connection, m_local.file("up.bin"), "up.bin").ok);
    ASSERT_TRUE(get(connection, "up.bin", m_local.file("down.bin")).ok);
    EXPECT_EQ(testsupport::ReadFile(m_local.file("down.bin")), binaryContent());
    uint32_t error = 0;
    auto entries = ListAll(*m_api, connection, "*.*", &error);
    ASSERT_EQ(entries.size(), 3u);
    std::sort(entries.begin(), entries.end(),
              [](const Listed& a, const Listed& b) { return a.name < b.name; });
    EXPECT_EQ(entries[0].name, "huge.bin");
    EXPECT_EQ(entries[0].size, kFiveGiB);
    // LIST gives an old file's date without time of day.
    EXPECT_EQ(calendar(entries[0].lastWrite).substr(0, 10), "2021-06-15");
    EXPECT_EQ(entries[2].name, "up.bin");
    EXPECT_EQ(entries[1].attributes, kFileAttributeDirectory);
  }
  EXPECT_EQ(CountPrefix(server->commands(), "MLSD"), 0u);
  EXPECT_EQ(CountPrefix(server->commands(), "LIST"), 2u);
}

TEST_F(RealServer, VsftpdAnonymousLoginAndRefusedPassword) {
  START_OR_SKIP(server, testsupport::StartVsftpd());
  const HandleResult anonymous = m_api->InternetConnectA(root(), server->address().c_str(), 21,
                                                         nullptr, nullptr, kServiceFtp, 0, 0);
  EXPECT_NE(anonymous.handle, 0u) << "error " << anonymous.error;
  const HandleResult wrong = m_api->InternetConnectA(
      root(), server->address().c_str(), 21, server->user().c_str(), "not-it", kServiceFtp, 0, 0);
  EXPECT_EQ(wrong.error, kErrorInternetExtendedError);
  EXPECT_EQ(ReadLastResponse(*m_api).code, 530u);
}

}  // namespace
}  // namespace inet
