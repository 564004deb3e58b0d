// The built Quillpost run headless against sshd over SFTP, the server box saying "sftp://": an
// unknown host ends the run before any log-in with the box naming the key and the line to
// add; with Quillpst.known_hosts (ssh-keyscan's lines) beside the program the file is stored,
// by password or by Quillpst.key.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/support/common/Process.h"
#include "tests/support/common/SshServers.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"

#if !defined(QP_QUILLPOST) || !defined(QP_QUILLPOST_WINDOW)
#error "QP_QUILLPOST and QP_QUILLPOST_WINDOW must name the built Quillpost and its window"
#endif

namespace uploadertest {
namespace {

namespace fs = std::filesystem;

const std::string kStamp = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d )";

class QuillpostSftp : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(QP_QUILLPOST, folder.file("Quillpost"));
    fs::copy_file(QP_QUILLPOST_WINDOW, folder.file(fs::path(QP_QUILLPOST_WINDOW).filename()));
    testsupport::WriteFile(local.file("data.csv"), "1,2,3\r\n");
  }

  testsupport::ProcessResult run(const testsupport::FtpServer& server,
                                 const std::string& password) {
    WriteSettingsFile(folder.path(),
                      {U16("sftp://" + server.address()), U16(server.user()), u"", u"/up",
                       U16(local.file("data.csv")), u"stored.csv"},
                      U16(password));
    testsupport::ProcessResult result =
        testsupport::RunProcess({folder.file("Quillpost")}, testsupport::Headless());
    EXPECT_FALSE(result.timedOut);
    return result;
  }

  // What ssh-keyscan prints for the server: the lines to put into Quillpst.known_hosts.
  static std::string keyscan(const testsupport::FtpServer& server) {
    const auto scanned =
        testsupport::RunProcess({"ssh-keyscan", "-p", std::to_string(server.port()), "127.0.0.1"});
    EXPECT_EQ(scanned.exitCode, 0) << scanned.err;
    return scanned.out;
  }

  static void makeUploadFolder(const testsupport::FtpServer& server) {
    fs::create_directory(server.root() + "/up");
    server.handRootToServer();
  }

  testsupport::TempDir folder;  // the program and its settings file
  testsupport::TempDir local;   // the file to upload
};

TEST_F(QuillpostSftp, AnUnknownHostEndsWithThreeAndAKeyscanLineBesideTheProgramLetsItStore) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  makeUploadFolder(*server);
  const std::string port = std::to_string(server->port());
  testsupport::ProcessResult result = run(*server, server->password());
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_TRUE(std::regex_search(
      result.err,
      std::regex(kStamp + "Quillpost: 12230 / [^\n]+ / ssh-ed25519 SHA256:[A-Za-z0-9+/]{43} / " +
                 "[^\n]+ ssh-keyscan -t ed25519 -p " + port + " 127\\.0\\.0\\.1\n")))
      << result.err;
  EXPECT_EQ(server->serverOutput().find("qptester"), std::string::npos);
  EXPECT_FALSE(fs::exists(server->root() + "/up/stored.csv"));

  testsupport::WriteFile(folder.file("Quillpst.known_hosts"), keyscan(*server));
  result = run(*server, server->password());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/up/stored.csv"), "1,2,3\r\n");
  EXPECT_TRUE(
      std::regex_search(result.out, std::regex("Quillpost: stored server=sftp://" +
                                               server->address() + " folder=" + server->root() +
                                               "/up name=stored\\.csv "
                                               "bytes=7 ")))
      << result.out;
  // Again, over the stored file: OpenSSH refuses the rename of the temporary name over it, the
  // start-up removes it and renames once more.
  testsupport::WriteFile(local.file("data.csv"), "4,5,6\r\n");
  result = run(*server, server->password());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/up/stored.csv"), "4,5,6\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(server->root() + "/up"), fs::directory_iterator()),
            1);
  // The completion box names the server as the settings write it.
  EXPECT_NE(result.err.find(" / sftp://" + server->address() + " / に送信されました"),
            std::string::npos)
      << result.err;
}

TEST_F(QuillpostSftp, PrintHostKeyWritesLinesThatServeAsQuillpstKnownHostsWithoutALogIn) {
  const auto server = testsupport::StartSshd();
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  makeUploadFolder(*server);
  WriteSettingsFile(folder.path(),
                    {U16("sftp://" + server->address()), U16(server->user()), u"", u"/up",
                     U16(local.file("data.csv")), u"stored.csv"},
                    U16(server->password()));
  testsupport::ProcessResult printed = testsupport::RunProcess(
      {folder.file("Quillpost"), "--print-host-key"}, testsupport::Headless());
  EXPECT_EQ(printed.exitCode, 0) << printed.err;
  EXPECT_TRUE(std::regex_match(
      printed.out,
      std::regex("(# [a-z0-9-]+ SHA256:[A-Za-z0-9+/]{43}\\n\\[127\\.0\\.0\\.1\\]:" +
                 std::to_string(server->port()) + " [a-z0-9-]+ [A-Za-z0-9+/=]+\\n){2}")))
      << printed.out;
  EXPECT_EQ(server->serverOutput().find("qptester"), std::string::npos);
  testsupport::WriteFile(folder.file("Quillpst.known_hosts"), printed.out);
  const testsupport::ProcessResult stored = run(*server, server->password());
  EXPECT_EQ(stored.exitCode, 0) << stored.err;
  // A server name without sftp:// has no host key to print.
  WriteSettingsFile(folder.path(), {u"127.0.0.1:1", u"u", u"", u"", u"", u""}, u"p");
  printed = testsupport::RunProcess({folder.file("Quillpost"), "--print-host-key"},
                                    testsupport::Headless());
  EXPECT_EQ(printed.exitCode, 64);
  EXPECT_EQ(printed.out, "");
}

TEST_F(QuillpostSftp, AKeyBesideTheProgramLogsInWhereNoPasswordWouldAndTheRunStores) {
  const testsupport::ClientKey key = testsupport::MakeClientKey(local, "ed25519", "k3y-Phrase");
  testsupport::SshdOptions options;
  options.authorizedKeys = key.publicLine;
  options.moreConfig = "PasswordAuthentication no\n";
  const auto server = testsupport::StartSshd(options);
  if (!server) GTEST_SKIP() << testsupport::LastStartFailure();
  makeUploadFolder(*server);
  testsupport::WriteFile(folder.file("Quillpst.known_hosts"), keyscan(*server));
  testsupport::WriteFile(folder.file("Quillpst.key"), testsupport::ReadFile(key.privateKey));
  // The settings' password is the key's passphrase.
  testsupport::ProcessResult result = run(*server, "k3y-Phrase");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/up/stored.csv"), "1,2,3\r\n");
  result = run(*server, "wrong");
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_TRUE(std::regex_search(result.err, std::regex(kStamp + "Quillpost: 12232 / ")))
      << result.err;
  // Neither the password nor the passphrase appears in anything the program wrote.
  EXPECT_EQ(result.err.find("wrong"), std::string::npos);
  EXPECT_EQ(result.out.find("k3y-Phrase"), std::string::npos);
}

}  // namespace
}  // namespace uploadertest
