// Whole McWinFTP sessions with the real engine against real FTP servers on loopback
// (pyftpdlib and vsftpd, each started by the test): what the recording fake cannot show, that
// is listings as these servers print them, byte-exact transfers in both data connection modes
// and the servers' own refusals.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;
using testsupport::FtpServer;

namespace {

enum class ServerKind { Pyftpdlib, Vsftpd };

std::string kindName(const testing::TestParamInfo<ServerKind>& info) {
  return info.param == ServerKind::Pyftpdlib ? "Pyftpdlib" : "Vsftpd";
}

std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

size_t countCommands(const FtpServer& server, const std::string& prefix) {
  const std::vector<std::string> commands = server.commands();
  return std::count_if(commands.begin(), commands.end(),
                       [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

// Every entry of the current remote directory, by name.
std::map<std::u16string, FTPFile> listAll(McWinFTP& ftp) {
  std::map<std::u16string, FTPFile> entries;
  ftp.FindFile(u"*.*");
  while (!ftp.RemoteFile().SearchEnd) {
    entries[ftp.RemoteFile().FileName] = ftp.RemoteFile();
    const int64_t before = ftp.FTPFrrCount();
    ftp.NextFile();
    if (ftp.FTPFrrCount() != before) break;
  }
  return entries;
}

class McWinFTPServer : public testing::TestWithParam<ServerKind> {
 protected:
  void SetUp() override {
    server = GetParam() == ServerKind::Pyftpdlib ? testsupport::StartPyftpdlib()
                                                 : testsupport::StartVsftpd();
    ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  }

  // Logs in as the test user with the port carried in the server name.
  void connect(bool passive = true) {
    server->handRootToServer();
    ftp.SetRemoteHost(u16(server->address()));
    ftp.SetUser(u16(server->user()));
    ftp.SetPassword(u16(server->password()));
    ftp.SetPassiveFlag(passive);
    ftp.OpenSession();
    ASSERT_NE(ftp.hFTP(), 0u) << server->serverOutput();
  }

  std::string served(const std::string& name) const { return server->root() + "/" + name; }

  std::unique_ptr<FtpServer> server;
  testsupport::TempDir local;
  McWinFTP ftp;
  FrrRecorder frr{ftp};
};

INSTANTIATE_TEST_SUITE_P(Servers, McWinFTPServer,
                         testing::Values(ServerKind::Pyftpdlib, ServerKind::Vsftpd), kindName);

TEST_P(McWinFTPServer, ListsEntersDirectoriesAndReportsTheServersRefusals) {
  testsupport::WriteFile(served("small.txt"), "hello");
  testsupport::WriteFile(served("日本.txt"), "x");
  fs::create_directories(served("sub/empty"));
  testsupport::WriteFile(served("big.bin"), "");
  ASSERT_EQ(::truncate(served("big.bin").c_str(), 5LL << 30), 0);
  const timespec march2004[2] = {{1078470489, 0}, {1078470489, 0}};  // 2004-03-05 07:08:09 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, served("small.txt").c_str(), march2004, 0), 0);
  connect();
  EXPECT_EQ(ftp.CurDir(), u"/");
  const std::map<std::u16string, FTPFile> entries = listAll(ftp);
  std::vector<std::u16string> names;
  for (const auto& [name, entry] : entries) names.push_back(name);
  ASSERT_EQ(names, (std::vector<std::u16string>{u"big.bin", u"small.txt", u"sub", u"日本.txt"}));
  EXPECT_EQ(entries.at(u"big.bin").FileSize, 5368709120.0);
  EXPECT_EQ(entries.at(u"big.bin").FileType, 0);
  EXPECT_EQ(entries.at(u"small.txt").FileSize, 5.0);
  EXPECT_EQ(entries.at(u"sub").FileType, 16);
  // pyftpdlib lists with MLSD, times in UTC to the second; vsftpd only has LIST, which gives
  // an old file's date without time of day.
  const bool mlsd = GetParam() == ServerKind::Pyftpdlib;
  const DateTime expected = mlsd ? DateTime{2004, 3, 5, 7, 8, 9} : DateTime{2004, 3, 5, 0, 0, 0};
  EXPECT_EQ(entries.at(u"small.txt").FileDate, expected);
  EXPECT_EQ(countCommands(*server, "MLSD"), mlsd ? 1u : 0u);
  EXPECT_EQ(countCommands(*server, "LIST"), mlsd ? 0u : 1u);

  ftp.SetCurDir(u"/sub");  // sent as "sub", relative to "/"
  ftp.SetCurDir(u"empty");
  EXPECT_EQ(ftp.CurDir(), u"/sub/empty");
  ftp.FindFile(u"*.*");  // an empty listing ends the search without an event
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  ftp.SetCurDir(u"../");
  EXPECT_EQ(ftp.CurDir(), u"/sub");
  EXPECT_TRUE(frr.events.empty());
  ftp.SetCurDir(u"missing");
  ASSERT_EQ(frr.events.size(), 1u);
  EXPECT_EQ(frr.events[0].ErrNumber, 550);
  EXPECT_EQ(frr.events[0].ErrString.substr(0, 4), u"550 ");
  EXPECT_EQ(ftp.CurDir(), u"/sub");
}

TEST_P(McWinFTPServer, BinaryTransfersOfJapaneseNamesKeepEveryByteInBothModes) {
  // Far more than the socket buffers hold, so that blocks go out in pieces.
  std::string bytes(16 << 20, '\0');
  std::mt19937 random(7);
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  testsupport::WriteFile(local.file("上り.bin"), bytes);
  for (const bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    connect(passive);
    EXPECT_EQ(ftp.PutFile(u16(local.path()) + u"/上り.bin", u"日本.bin"), 1);
    EXPECT_TRUE(testsupport::ReadFile(served("日本.bin")) == bytes);
    EXPECT_EQ(ftp.GetFile(u"日本.bin", u16(local.path()) + u"/下り.bin", false), 1);
    EXPECT_TRUE(testsupport::ReadFile(local.file("下り.bin")) == bytes);
    ftp.CloseSession();
  }
  EXPECT_TRUE(frr.events.empty());
  EXPECT_GT(countCommands(*server, "EPSV") + countCommands(*server, "PASV"), 0u);
  EXPECT_GT(countCommands(*server, "EPRT") + countCommands(*server, "PORT"), 0u);
  EXPECT_GT(countCommands(*server, "TYPE I"), 0u);
  EXPECT_EQ(countCommands(*server, "TYPE A"), 0u);
}

TEST_P(McWinFTPServer, WrongPasswordReportsTheServersRefusal) {
  ftp.SetRemoteHost(u16(server->address()));
  ftp.SetUser(u16(server->user()));
  ftp.SetPassword(u"not-the-password");
  ftp.OpenSession();
  EXPECT_EQ(ftp.hFTP(), 0u);
  ASSERT_EQ(frr.events.size(), 1u);
  EXPECT_EQ(frr.events[0].ErrNumber, 530);
  EXPECT_EQ(frr.events[0].ErrString.substr(0, 4), u"530 ");
  EXPECT_EQ(frr.events[0].ErrString.find(u"not-the-password"), std::u16string::npos);
}

}  // namespace
