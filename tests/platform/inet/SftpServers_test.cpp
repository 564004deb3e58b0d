// The engine's SFTP session against OpenSSH's sshd and proftpd's mod_sftp on loopback: host
// keys judged by Quillpst.known_hosts before anything is sent, each way of logging in, and
// every operation of the handle API with byte-exact transfers.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "platform/inet/FtpEngine.h"
#include "platform/inet/HostKeyReport.h"
#include "tests/platform/inet/EngineTestSupport.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/SshServers.h"
#include "tests/support/common/TempDir.h"

namespace inet {
namespace {

using testsupport::FtpServer;
using testsupport::TempDir;
using namespace inet::testing;

// Key exchange and log-in on a loaded machine (and under the sanitizers) take more than the
// FTP tests' short reply timeout.
EngineOptions SshTimeouts(const TempDir& folder) {
  EngineOptions options = ShortTimeouts();
  options.replyTimeout = std::chrono::milliseconds(8000);
  options.knownHostsFile = folder.file("Quillpst.known_hosts");
  options.privateKeyFile = folder.file("Quillpst.key");
  return options;
}

std::string RandomBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::mt19937 random(seed);
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

class SftpServer : public ::testing::Test {
 protected:
  HandleResult connect(const FtpServer& server, const std::string& password) {
    const std::string name = "sftp://" + server.address();
    return m_api->InternetConnectA(m_root, name.c_str(), 21, server.user().c_str(),
                                   password.c_str(), kServiceFtp, kFlagPassive, 0);
  }
  void trust(const std::string& lines) {
    testsupport::WriteFile(m_local.file("Quillpst.known_hosts"), lines);
  }

  TempDir m_local;
  std::unique_ptr<InternetApi> m_api = MakeFtpEngine(SshTimeouts(m_local));
  Handle m_root = m_api->InternetOpenA(nullptr, 0, nullptr, nullptr, 0).handle;
};

// The server's first host key (Ed25519) as known_hosts writes it after the host: type, key.
std::string firstKey(const FtpServer& server) {
  const std::string& keys = server.hostKeys();
  const size_t space = keys.find(' ');
  return keys.substr(space + 1, keys.find('\n') - space);
}

// What ssh-keygen -lf prints for the server's key of `type`: "256 SHA256:... comment (ED25519)".
std::string KeygenFingerprint(const FtpServer& server, const std::string& type,
                              const TempDir& folder) {
  std::string line;
  const std::string& keys = server.hostKeys();
  for (size_t start = 0, end; (end = keys.find('\n', start)) != std::string::npos;
       start = end + 1) {
    if (keys.compare(start, end - start, keys, start, end - start) == 0 &&
        keys.substr(start, end - start).find(" " + type + " ") != std::string::npos) {
      line = keys.substr(start, end - start);
    }
  }
  testsupport::WriteFile(folder.file("one.pub"), line + "\n");
  const auto printed = testsupport::RunProcess({"ssh-keygen", "-lf", folder.file("one.pub")});
  const size_t at = printed.out.find("SHA256:");
  return at == std::string::npos ? "" : printed.out.substr(at, printed.out.find(' ', at) - at);
}

TEST_F(SftpServer, AnUnknownHostEndsBeforeAnyAuthenticationNamingTheKeyAndTheLineToAdd) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  // No known_hosts file at all, then one for another port only.
  for (const std::string& file : {std::string(), "[127.0.0.1]:1 " + firstKey(*server)}) {
    if (!file.empty()) trust(file);
    const HandleResult connected = connect(*server, server->password());
    EXPECT_EQ(connected.handle, 0u);
    ASSERT_EQ(connected.error, kErrorInternetExtendedError);
    const LastResponse last = ReadLastResponse(*m_api);
    EXPECT_EQ(last.code, kErrorSshHostKeyUnknown);
    const std::string fingerprint = KeygenFingerprint(*server, "ssh-ed25519", m_local);
    ASSERT_FALSE(fingerprint.empty());
    EXPECT_NE(last.text.find("ssh-ed25519 " + fingerprint), std::string::npos) << last.text;
    EXPECT_NE(last.text.find("ssh-keyscan -t ed25519 -p " + std::to_string(server->port()) +
                             " 127.0.0.1"),
              std::string::npos)
        << last.text;
    EXPECT_LE(last.text.size(), 254u);  // McWinFTP reads 255 bytes with the NUL
  }
  // sshd saw the key exchange and no user.
  EXPECT_EQ(server->serverOutput().find("qptester"), std::string::npos) << server->serverOutput();
  EXPECT_EQ(server->serverOutput().find("Failed"), std::string::npos);
}

TEST_F(SftpServer, AnotherKeyOfTheSameTypeEndsTheConnectionWithoutSendingAnything) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  const testsupport::ClientKey stranger = testsupport::MakeClientKey(m_local, "ed25519");
  trust("[127.0.0.1]:" + std::to_string(server->port()) + " " + stranger.publicLine);
  const HandleResult connected = connect(*server, server->password());
  EXPECT_EQ(connected.handle, 0u);
  ASSERT_EQ(connected.error, kErrorInternetExtendedError);
  const LastResponse last = ReadLastResponse(*m_api);
  EXPECT_EQ(last.code, kErrorSshHostKeyChanged);
  EXPECT_NE(last.text.find("ssh-ed25519 " + KeygenFingerprint(*server, "ssh-ed25519", m_local)),
            std::string::npos)
      << last.text;
  EXPECT_EQ(server->serverOutput().find("qptester"), std::string::npos) << server->serverOutput();
  // A revoked key is refused however the host is written.
  trust("@revoked * " + firstKey(*server));
  EXPECT_EQ(connect(*server, server->password()).handle, 0u);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorSshHostKeyChanged);
}

TEST_F(SftpServer, LinesFromSshKeyscanServeHashedOrPlainAndTheKnownTypeIsAskedFor) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  const std::string port = std::to_string(server->port());
  for (const char* type : {"ecdsa", "ed25519"}) {
    for (const bool hashed : {true, false}) {
      SCOPED_TRACE(std::string(type) + (hashed ? " hashed" : " plain"));
      std::vector<std::string> scan = {"ssh-keyscan", "-t", type, "-p", port, "127.0.0.1"};
      if (hashed) scan.insert(scan.begin() + 1, "-H");
      const auto scanned = testsupport::RunProcess(scan);
      ASSERT_EQ(scanned.exitCode, 0) << scanned.err;
      // A comment, a line of another host and an unreadable line around it change nothing.
      trust("# from ssh-keyscan\nother.example ssh-ed25519 AAAA\ngarbage\n" + scanned.out);
      const HandleResult connected = connect(*server, server->password());
      ASSERT_NE(connected.handle, 0u) << connected.error << " " << ReadLastResponse(*m_api).text;
      EXPECT_TRUE(m_api->InternetCloseHandle(connected.handle).ok);
    }
  }
  // libssh2 1.10 checks RSA host keys only in their SHA-1 form, which OpenSSH no longer offers:
  // a file with the RSA key alone leaves the host unknown, under its Ed25519 key.
  const auto rsa = testsupport::RunProcess({"ssh-keyscan", "-t", "rsa", "-p", port, "127.0.0.1"});
  trust(rsa.out);
  EXPECT_EQ(connect(*server, server->password()).handle, 0u);
  EXPECT_EQ(ReadLastResponse(*m_api).code, kErrorSshHostKeyUnknown);
}

TEST_F(SftpServer, TheServersKeysAreWrittenAsKnownHostsLinesWithTheirFingerprints) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  std::ostringstream out;
  ASSERT_EQ(WriteServerHostKeys("sftp://" + server->address(), SshTimeouts(m_local), out), 0u);
  const std::string port = std::to_string(server->port());
  // The types libssh2 can check, in the order asked; ssh-rsa (SHA-1) sshd no longer shows.
  const std::string text = out.str();
  const std::string host = "\n[127.0.0.1]:" + port + " ";
  const size_t ecdsa = text.find("# ecdsa-sha2-nistp256 ");
  EXPECT_EQ(text.find("# ssh-ed25519 " + KeygenFingerprint(*server, "ssh-ed25519", m_local) + host +
                      "ssh-ed25519 AAAA"),
            0u)
      << text;
  EXPECT_EQ(text.substr(ecdsa).find("# ecdsa-sha2-nistp256 " +
                                    KeygenFingerprint(*server, "ecdsa-sha2-nistp256", m_local) +
                                    host + "ecdsa-sha2-nistp256 AAAA"),
            0u)
      << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
  // Nothing was authenticated; the lines are a known_hosts file as they are.
  EXPECT_EQ(server->serverOutput().find("qptester"), std::string::npos);
  trust(out.str());
  const HandleResult connected = connect(*server, server->password());
  ASSERT_NE(connected.handle, 0u) << connected.error;
  EXPECT_TRUE(m_api->InternetCloseHandle(connected.handle).ok);
  std::ostringstream none;
  EXPECT_EQ(WriteServerHostKeys(server->address(), SshTimeouts(m_local), none),
            kErrorInvalidParameter);
  EXPECT_EQ(WriteServerHostKeys("sftp://127.0.0.1:1", SshTimeouts(m_local), none),
            kErrorInternetCannotConnect);
  EXPECT_EQ(none.str(), "");
}

TEST_F(SftpServer, EveryOperationOfTheApiWorksWithBytesKeptExactly) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  const std::string bytes = RandomBytes(9 << 20, 11);
  testsupport::WriteFile(m_local.file("up"), bytes);
  const HandleResult connected = connect(*server, server->password());
  ASSERT_NE(connected.handle, 0u) << connected.error << " " << ReadLastResponse(*m_api).text;
  const Handle c = connected.handle;
  char directory[261] = {};
  uint32_t length = 260;
  ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(c, directory, &length).ok);
  EXPECT_EQ(std::string(directory), server->root());
  const char* folder = "\x93\xfa\x96\x7b dir";  // "日本 dir" in CP932, UTF-8 on the server
  ASSERT_TRUE(m_api->FtpCreateDirectoryA(c, folder).ok);
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, folder).ok);
  length = 260;
  ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(c, directory, &length).ok);
  EXPECT_EQ(std::string(directory), server->root() + "/\x93\xfa\x96\x7b dir");
  uint32_t error = 0;
  EXPECT_TRUE(ListAll(*m_api, c, "*.*", &error).empty());
  EXPECT_EQ(error, kErrorNoMoreFiles);
  ASSERT_TRUE(
      m_api->FtpPutFileA(c, m_local.file("up").c_str(), "a.bin", kTransferTypeBinary, 0).ok);
  ASSERT_TRUE(m_api->FtpPutFileA(c, m_local.file("up").c_str(), "b.bin", kTransferTypeAscii, 0).ok);
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/\xe6\x97\xa5\xe6\x9c\xac dir/a.bin"), bytes);
  // OpenSSH at protocol 3 refuses a rename over an existing file; after a delete it goes.
  const BoolResult over = m_api->FtpRenameFileA(c, "a.bin", "b.bin");
  EXPECT_FALSE(over.ok);
  EXPECT_EQ(over.error, kErrorSftpFailure);
  ASSERT_TRUE(m_api->FtpDeleteFileA(c, "b.bin").ok);
  ASSERT_TRUE(m_api->FtpRenameFileA(c, "a.bin", "\x95\x5c.bin").ok);  // "表.bin"
  ASSERT_TRUE(m_api->FtpCreateDirectoryA(c, "sub").ok);
  const std::vector<Listed> listed = ListAll(*m_api, c, "*", &error);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_EQ(error, kErrorNoMoreFiles);
  FindData data;
  const HandleResult found = m_api->FtpFindFirstFileA(c, "\x95\x5c.*", &data, 0, 0);
  ASSERT_NE(found.handle, 0u);
  EXPECT_EQ(data.nFileSizeLow, bytes.size());
  EXPECT_EQ(data.dwFileAttributes, kFileAttributeNormal);
  SystemTime time;
  ASSERT_TRUE(FileTimeToSystemTime(data.ftLastWriteTime, &time));
  EXPECT_GE(time.wYear, 2024);
  EXPECT_TRUE(m_api->InternetCloseHandle(found.handle).ok);
  ASSERT_NE(m_api->FtpFindFirstFileA(c, "su?", &data, 0, 0).handle, 0u);
  EXPECT_EQ(data.dwFileAttributes, kFileAttributeDirectory);
  // Download, over an existing local file unless it must not be replaced.
  const std::string down = m_local.file("down");
  testsupport::WriteFile(down, "old");
  EXPECT_EQ(m_api->FtpGetFileA(c, "\x95\x5c.bin", down.c_str(), 1, 0, kFlagReload | 2, 0).error,
            kErrorFileExists);
  ASSERT_TRUE(m_api->FtpGetFileA(c, "\x95\x5c.bin", down.c_str(), 0, 0, kFlagReload | 2, 0).ok);
  EXPECT_EQ(testsupport::ReadFile(down), bytes);
  // The server's refusals, each with its own code; the session goes on after them.
  EXPECT_EQ(m_api->FtpGetFileA(c, "missing", down.c_str(), 0, 0, 2, 0).error, kErrorSftpNoSuchFile);
  EXPECT_EQ(m_api->FtpSetCurrentDirectoryA(c, "missing").error, kErrorSftpNoSuchFile);
  EXPECT_EQ(m_api->FtpRemoveDirectoryA(c, "..").error, kErrorSftpFailure);
  EXPECT_FALSE(m_api->FtpDeleteFileA(c, "missing").ok);
  EXPECT_TRUE(m_api->FtpRemoveDirectoryA(c, "sub").ok);
  EXPECT_TRUE(m_api->FtpDeleteFileA(c, "\x95\x5c.bin").ok);
  // "" (what McWinFTP sends for "/") leads back to the login folder; ".." works like a name.
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, "").ok);
  length = 260;
  ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(c, directory, &length).ok);
  EXPECT_EQ(std::string(directory), server->root());
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, folder).ok);
  ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, "..").ok);
  EXPECT_TRUE(m_api->FtpRemoveDirectoryA(c, folder).ok);
  EXPECT_TRUE(m_api->InternetCloseHandle(c).ok);
}

TEST_F(SftpServer, TheStatusCallbackHearsTheProgressAndCanCancelAnUploadLeavingTheSessionUsable) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  const std::string bytes = RandomBytes(32 << 20, 3);
  testsupport::WriteFile(m_local.file("up"), bytes);
  std::vector<TransferProgress> heard;
  bool cancel = false;
  ASSERT_TRUE(m_api
                  ->InternetSetStatusCallbackA(m_root,
                                               [&](uintptr_t context, const TransferProgress& p) {
                                                 EXPECT_EQ(context, 77u);
                                                 heard.push_back(p);
                                                 return !(cancel && p.bytes > 0);
                                               })
                  .ok);
  const Handle c = connect(*server, server->password()).handle;
  ASSERT_NE(c, 0u);
  ASSERT_TRUE(m_api->FtpPutFileA(c, m_local.file("up").c_str(), "whole", 2, 77).ok);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back().total, bytes.size());
  for (size_t i = 1; i < heard.size(); ++i) EXPECT_GE(heard[i].bytes, heard[i - 1].bytes);
  heard.clear();
  const std::string down = m_local.file("down");
  ASSERT_TRUE(m_api->FtpGetFileA(c, "whole", down.c_str(), 0, 0, 2, 77).ok);
  ASSERT_FALSE(heard.empty());
  EXPECT_EQ(heard.back().total, bytes.size());
  // Cancelled at the first bytes: the call ends at once, and the session goes on.
  cancel = true;
  const auto began = std::chrono::steady_clock::now();
  EXPECT_EQ(m_api->FtpPutFileA(c, m_local.file("up").c_str(), "cut", 2, 77).error,
            kErrorOperationCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(2));
  uint64_t size = 0;
  ASSERT_TRUE(m_api->FtpGetFileSizeA(c, "whole", &size).ok);
  EXPECT_EQ(size, bytes.size());
  EXPECT_TRUE(m_api->InternetCloseHandle(c).ok);
}

TEST_F(SftpServer, AServerThatGoesAwayLeavesADroppedConnection) {
  auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  const Handle c = connect(*server, server->password()).handle;
  ASSERT_NE(c, 0u);
  const std::string address = server->address();
  server.reset();  // sshd and its sessions end
  uint64_t size = 0;
  const BoolResult first = m_api->FtpGetFileSizeA(c, "x", &size);
  EXPECT_EQ(first.error, kErrorInternetConnectionAborted);
  EXPECT_EQ(m_api->FtpDeleteFileA(c, "x").error, kErrorFtpDropped);
  EXPECT_TRUE(m_api->InternetCloseHandle(c).ok);
  // Nobody there any more: the connection is refused.
  const std::string name = "sftp://" + address;
  EXPECT_EQ(m_api->InternetConnectA(m_root, name.c_str(), 21, "u", "p", kServiceFtp, 0, 0).error,
            kErrorInternetCannotConnect);
}

TEST_F(SftpServer, KeysOfEachTypeLogInAndAnEncryptedOneTakesThePasswordAsItsPassphrase) {
  struct Case {
    const char* type;
    bool encrypted;
  };
  TempDir keys;
  std::vector<testsupport::ClientKey> made;
  std::string authorized;
  for (const Case c :
       {Case{"ed25519", false}, Case{"ed25519", true}, Case{"ecdsa", false}, Case{"rsa", false}}) {
    made.push_back(testsupport::MakeClientKey(keys, c.type, c.encrypted ? "qp-Test-5ecret" : ""));
    authorized += made.back().publicLine;
  }
  // No password log-ins: only the key can let the user in. libssh2 1.10 signs with RSA only
  // as ssh-rsa (SHA-1), which OpenSSH accepts when told to.
  testsupport::SshdOptions options;
  options.authorizedKeys = authorized;
  options.moreConfig = "PasswordAuthentication no\nPubkeyAcceptedAlgorithms +ssh-rsa\n";
  const auto server = testsupport::StartSshd(options);
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  for (const auto& key : made) {
    SCOPED_TRACE(key.publicLine);
    testsupport::WriteFile(m_local.file("Quillpst.key"), testsupport::ReadFile(key.privateKey));
    const HandleResult connected = connect(*server, server->password());
    ASSERT_NE(connected.handle, 0u) << connected.error << " " << server->serverOutput();
    EXPECT_TRUE(m_api->InternetCloseHandle(connected.handle).ok);
  }
  // Without the key, or with the wrong passphrase, nothing else is accepted.
  std::remove(m_local.file("Quillpst.key").c_str());
  EXPECT_EQ(connect(*server, server->password()).error, kErrorSshAuthenticationRefused);
  testsupport::WriteFile(m_local.file("Quillpst.key"), testsupport::ReadFile(made[1].privateKey));
  EXPECT_EQ(connect(*server, "wrong").error, kErrorSshAuthenticationRefused);
}

TEST_F(SftpServer, AWrongPasswordIsRefusedAndAKeyTheServerRefusesLeavesThePasswordToTry) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  EXPECT_EQ(connect(*server, "wrong").error, kErrorSshAuthenticationRefused);
  // A key the server does not know, then a file that is no key at all.
  const auto unknown = testsupport::MakeClientKey(m_local, "ed25519");
  for (const std::string& key : {testsupport::ReadFile(unknown.privateKey), std::string("junk")}) {
    testsupport::WriteFile(m_local.file("Quillpst.key"), key);
    const HandleResult connected = connect(*server, server->password());
    ASSERT_NE(connected.handle, 0u) << connected.error << server->serverOutput();
    EXPECT_TRUE(m_api->InternetCloseHandle(connected.handle).ok);
  }
}

TEST_F(SftpServer, ProftpdModSftpServesPasswordAndKeyLogInsAndTheOperations) {
  const auto key = testsupport::MakeClientKey(m_local, "ecdsa");
  const auto server = testsupport::StartProftpdSftp(key.publicLine);
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  trust(server->hostKeys());
  const std::string bytes = RandomBytes(3 << 20, 5);
  testsupport::WriteFile(m_local.file("up"), bytes);
  for (const bool withKey : {false, true}) {
    SCOPED_TRACE(withKey ? "key" : "password");
    if (withKey)
      testsupport::WriteFile(m_local.file("Quillpst.key"), testsupport::ReadFile(key.privateKey));
    const HandleResult connected = connect(*server, withKey ? "wrong" : server->password());
    ASSERT_NE(connected.handle, 0u) << connected.error << " " << server->serverOutput();
    const Handle c = connected.handle;
    char directory[261] = {};
    uint32_t length = 260;
    ASSERT_TRUE(m_api->FtpGetCurrentDirectoryA(c, directory, &length).ok);
    EXPECT_EQ(std::string(directory), "/");  // chrooted
    ASSERT_TRUE(m_api->FtpCreateDirectoryA(c, "d").ok);
    ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, "d").ok);
    ASSERT_TRUE(m_api->FtpPutFileA(c, m_local.file("up").c_str(), "x", 2, 0).ok);
    ASSERT_TRUE(m_api->FtpPutFileA(c, m_local.file("up").c_str(), "y", 2, 0).ok);
    EXPECT_EQ(testsupport::ReadFile(server->root() + "/d/x"), bytes);
    // Like OpenSSH, mod_sftp at protocol 3 refuses a rename over an existing file.
    EXPECT_EQ(m_api->FtpRenameFileA(c, "x", "y").error, kErrorSftpFailure);
    ASSERT_TRUE(m_api->FtpDeleteFileA(c, "y").ok);
    ASSERT_TRUE(m_api->FtpRenameFileA(c, "x", "y").ok);
    uint32_t error = 0;
    const auto listed = ListAll(*m_api, c, "*", &error);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "y");
    EXPECT_EQ(listed[0].size, bytes.size());
    const std::string down = m_local.file("down");
    ASSERT_TRUE(m_api->FtpGetFileA(c, "y", down.c_str(), 0, 0, 2, 0).ok);
    EXPECT_EQ(testsupport::ReadFile(down), bytes);
    EXPECT_EQ(m_api->FtpDeleteFileA(c, "x").error, kErrorSftpNoSuchFile);
    EXPECT_TRUE(m_api->FtpDeleteFileA(c, "y").ok);
    ASSERT_TRUE(m_api->FtpSetCurrentDirectoryA(c, "").ok);
    EXPECT_TRUE(m_api->FtpRemoveDirectoryA(c, "d").ok);
    EXPECT_TRUE(m_api->InternetCloseHandle(c).ok);
  }
}

}  // namespace
}  // namespace inet
