// Whole McWinFTP sessions with the real engine against real FTP servers on loopback
// (pyftpdlib and vsftpd, each started by the test). The window's command tests make the file
// operations (rename, delete, directories, a download refused over an existing file) against
// pyftpdlib; here is what they do not see: vsftpd, ASCII mode, both data connection modes.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "platform/inet/FtpEngine.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;
using testsupport::FtpServer;

namespace {

enum class ServerKind { Pyftpdlib, Vsftpd };

void PrintTo(ServerKind kind, std::ostream* os) {
  *os << (kind == ServerKind::Pyftpdlib ? "pyftpdlib" : "vsftpd");
}

std::string kindName(const testing::TestParamInfo<ServerKind>& info) {
  return info.param == ServerKind::Pyftpdlib ? "Pyftpdlib" : "Vsftpd";
}

std::u16string u16(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

size_t countCommands(const FtpServer& server, const std::string& prefix) {
  const std::vector<std::string> commands = server.commands();
  return std::count_if(commands.begin(), commands.end(),
                       [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

bool sentCommand(const FtpServer& server, const std::string& prefix) {
  return countCommands(server, prefix) > 0;
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

TEST_P(McWinFTPServer, ListingDeliversNamesSizesTypesAndDates) {
  testsupport::WriteFile(served("small.txt"), "hello");
  testsupport::WriteFile(served("日本.txt"), "x");
  fs::create_directory(served("sub"));
  testsupport::WriteFile(served("big.bin"), "");
  ASSERT_EQ(::truncate(served("big.bin").c_str(), 5LL << 30), 0);
  const timespec march2004[2] = {{1078470489, 0}, {1078470489, 0}};  // 2004-03-05 07:08:09 UTC
  ASSERT_EQ(::utimensat(AT_FDCWD, served("small.txt").c_str(), march2004, 0), 0);
  connect();

  const std::map<std::u16string, FTPFile> entries = listAll(ftp);
  EXPECT_TRUE(frr.events.empty());
  std::vector<std::u16string> names;
  for (const auto& [name, entry] : entries) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"big.bin", u"small.txt", u"sub", u"日本.txt"}));
  if (entries.size() != 4) return;
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
}

TEST_P(McWinFTPServer, EmptyDirectoryEndsTheSearchWithoutEvent) {
  fs::create_directory(served("empty"));
  connect();
  ftp.SetCurDir(u"empty");
  ftp.FindFile(u"*.*");
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(ftp.RemoteFile().FileName, u"");
  EXPECT_TRUE(frr.events.empty());
}

TEST_P(McWinFTPServer, ChangesIntoASubdirectoryAndBack) {
  fs::create_directory(served("sub"));
  testsupport::WriteFile(served("sub/inner.txt"), "in");
  connect();
  EXPECT_EQ(ftp.CurDir(), u"/");
  ftp.SetCurDir(u"/sub");  // sent as "sub", relative to "/"
  EXPECT_EQ(ftp.CurDir(), u"/sub");
  EXPECT_EQ(listAll(ftp).count(u"inner.txt"), 1u);
  ftp.SetCurDir(u"../");
  EXPECT_EQ(ftp.CurDir(), u"/");
  EXPECT_TRUE(frr.events.empty());

  ftp.SetCurDir(u"missing");
  ASSERT_EQ(frr.events.size(), 1u);
  EXPECT_EQ(frr.events[0].ErrNumber, 550);
  EXPECT_EQ(frr.events[0].ErrString.substr(0, 4), u"550 ");
  EXPECT_EQ(ftp.CurDir(), u"/");
}

TEST_P(McWinFTPServer, BinaryTransfersKeepEveryByteInBothModes) {
  const std::string bytes = binaryContent();
  testsupport::WriteFile(local.file("up.bin"), bytes);
  for (const bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    connect(passive);
    EXPECT_EQ(ftp.PutFile(u16(local.file("up.bin")), u"up.bin"), 1);
    EXPECT_EQ(testsupport::ReadFile(served("up.bin")), bytes);
    EXPECT_EQ(ftp.GetFile(u"up.bin", u16(local.file("down.bin")), false), 1);
    EXPECT_EQ(testsupport::ReadFile(local.file("down.bin")), bytes);
    ftp.CloseSession();
  }
  EXPECT_TRUE(frr.events.empty());
  EXPECT_TRUE(sentCommand(*server, "EPSV") || sentCommand(*server, "PASV"));
  EXPECT_TRUE(sentCommand(*server, "EPRT") || sentCommand(*server, "PORT"));
  EXPECT_TRUE(sentCommand(*server, "TYPE I"));
  EXPECT_FALSE(sentCommand(*server, "TYPE A"));
}

TEST_P(McWinFTPServer, AsciiTransfersUseTypeAAndLocalLineEnds) {
  testsupport::WriteFile(local.file("up.txt"), "l1\nl2\n");
  testsupport::WriteFile(served("down.txt"), "x\ny\n");
  connect();
  EXPECT_EQ(ftp.PutFile(u16(local.file("up.txt")), u"up.txt", 1), 1);
  EXPECT_TRUE(sentCommand(*server, "TYPE A"));
  std::string stored = testsupport::ReadFile(served("up.txt"));
  std::erase(stored, '\r');  // the server may keep the network line ends
  EXPECT_EQ(stored, "l1\nl2\n");
  EXPECT_EQ(ftp.GetFile(u"down.txt", u16(local.file("down.txt")), false, 1), 1);
  EXPECT_EQ(testsupport::ReadFile(local.file("down.txt")), "x\ny\n");
  EXPECT_TRUE(frr.events.empty());
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

TEST(McWinFTPServerModes, AnonymousActiveSessionUsesThePortSetting) {
  const std::unique_ptr<FtpServer> server = testsupport::StartPyftpdlib();
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  testsupport::WriteFile(server->root() + "/a.txt", "a");
  McWinFTP ftp;
  FrrRecorder frr(ftp);
  ftp.SetRemoteHost(u16(server->host()));
  ftp.SetRemotePort(server->port());
  ftp.SetPassiveFlag(false);
  ftp.OpenSession();
  ASSERT_NE(ftp.hFTP(), 0u);
  EXPECT_EQ(listAll(ftp).count(u"a.txt"), 1u);
  EXPECT_TRUE(frr.events.empty());
  EXPECT_TRUE(sentCommand(*server, "USER anonymous"));
  EXPECT_TRUE(sentCommand(*server, "PORT") || sentCommand(*server, "EPRT"));
  EXPECT_FALSE(sentCommand(*server, "PASV") || sentCommand(*server, "EPSV"));
}

// What a connect to a name the resolver cannot find reported, checked in a child process.
enum NotResolvedOutcome {
  kAsExpected = 0,
  kConnected = 1,
  kWrongEvents = 2,
  kNoNamespace = 3,
};

int connectToUnresolvableName(const std::string& filesOnly) {
  // Namespaces of our own: a network with nothing but a loopback that is down, and a name
  // service switch that looks only in /etc/hosts (a resolver daemon reached through a local
  // socket would otherwise still ask the network). The name is not under ".invalid", which the
  // engine refuses without asking the resolver.
  if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount(filesOnly.c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) != 0) {
    return kNoNamespace;
  }
  const std::unique_ptr<inet::InternetApi> engine = inet::MakeFtpEngine();
  McWinFTP ftp(*engine);
  FrrRecorder frr(ftp);
  ftp.SetRemoteHost(u"no-such-host.example");
  ftp.OpenSession();
  if (ftp.hFTP() != 0) return kConnected;
  return frr.events == std::vector<FrrEvent>{{12007, kNotResolvedText}} ? kAsExpected
                                                                        : kWrongEvents;
}

TEST(McWinFTPServerModes, NameTheResolverCannotFindReportsTheFixedText) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.file("nsswitch.conf"), "hosts: files\n");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(connectToUnresolvableName(dir.file("nsswitch.conf")));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kNoNamespace) GTEST_SKIP() << "no namespaces (needs root)";
  EXPECT_EQ(WEXITSTATUS(status), kAsExpected);
}

TEST(McWinFTPServerModes, EveryOperationBeforeOpenSessionRaisesOneEvent) {
  testsupport::TempDir local;
  testsupport::WriteFile(local.file("l.txt"), "l");
  McWinFTP ftp;
  FrrRecorder frr(ftp);
  ASSERT_NE(ftp.hInternet(), 0u);
  const std::u16string localFile = u16(local.file("l.txt"));
  const std::vector<std::pair<const char*, std::function<void()>>> operations = {
      {"CurDir", [&] { EXPECT_EQ(ftp.CurDir(), u""); }},
      {"SetCurDir", [&] { ftp.SetCurDir(u"/pub"); }},
      {"PutFile", [&] { EXPECT_EQ(ftp.PutFile(localFile, u"r"), 0); }},
      {"GetFile", [&] { EXPECT_EQ(ftp.GetFile(u"r", u16(local.file("g")), false), 0); }},
      {"RenameFile", [&] { EXPECT_EQ(ftp.RenameFile(u"a", u"b"), 0); }},
      {"DeleteFile", [&] { EXPECT_EQ(ftp.DeleteFile(u"a"), 0); }},
      {"CreateDir", [&] { EXPECT_EQ(ftp.CreateDir(u"d"), 0); }},
      {"RemoveDir", [&] { EXPECT_EQ(ftp.RemoveDir(u"d"), 0); }},
      {"NextFile", [&] { ftp.NextFile(); }},
      {"FindFile", [&] { ftp.FindFile(u"*.*"); }}};
  for (const auto& [name, operation] : operations) {
    const size_t before = frr.events.size();
    operation();
    EXPECT_EQ(frr.events.size(), before + 1) << name;
  }
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  EXPECT_FALSE(fs::exists(local.file("g")));
  const size_t before = frr.events.size();
  ftp.CloseSession();
  EXPECT_EQ(frr.events.size(), before);
}

}  // namespace
