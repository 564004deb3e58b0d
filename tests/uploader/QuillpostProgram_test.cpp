// The built Quillpost run headless (no DISPLAY, no WAYLAND_DISPLAY) from a copy in a temporary
// folder, with the settings file beside it, once for each exit status: the one-line records of
// the boxes on standard error, the record of the stored file on standard output, the command
// line.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"

#ifndef QP_QUILLPOST
#error "QP_QUILLPOST must name the built Quillpost"
#endif
#ifndef QP_QUILLPOST_WINDOW
#error "QP_QUILLPOST_WINDOW must name the built library of Quillpost's window"
#endif

namespace uploadertest {
namespace {

namespace fs = std::filesystem;

// A display that no X server of this machine serves: no socket for it, in the file system or
// in the abstract namespace (listed in /proc/net/unix), and no lock file.
std::string UnservedDisplay() {
  const std::string sockets = testsupport::ReadFile("/proc/net/unix");
  for (int number = 97;; ++number) {
    const std::string n = std::to_string(number);
    const std::string socket = "/tmp/.X11-unix/X" + n;
    if (sockets.find(socket + "\n") == std::string::npos && !fs::exists(socket) &&
        !fs::exists("/tmp/.X" + n + "-lock")) {
      return ":" + n;
    }
  }
}

// The time stamp that begins every record: ISO 8601 local time with its offset.
const std::string kStamp = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d )";

class QuillpostProgram : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(QP_QUILLPOST, program());
    // The window half lies beside the program, as it does after a build.
    fs::copy_file(QP_QUILLPOST_WINDOW, folder.file(fs::path(QP_QUILLPOST_WINDOW).filename()));
    testsupport::WriteFile(local.file("data.csv"), "1,2,3\r\n");
  }
  std::string program() const { return folder.file("Quillpost"); }

  // Starts pyftpdlib (with `options`) and returns settings that upload data.csv as
  // "stored.csv" to its root, the server named with `scheme`.
  SettingsRecord serverSettings(const testsupport::PyftpdlibOptions& options = {},
                                const std::string& scheme = "") {
    server = testsupport::StartPyftpdlib(options);
    if (server == nullptr) {
      ADD_FAILURE() << testsupport::LastStartFailure();
      return {};
    }
    return {U16(scheme + server->address()), U16(server->user()), u"", u"/",
            U16(local.file("data.csv")),     u"stored.csv"};
  }

  testsupport::ProcessResult run(
      const std::vector<std::string>& arguments = {},
      const testsupport::ProcessOptions& options = testsupport::Headless()) {
    std::vector<std::string> argv{program()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    testsupport::ProcessResult result = testsupport::RunProcess(argv, options);
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  testsupport::ProcessResult run(const SettingsRecord& settings) {
    WriteSettingsFile(folder.path(), settings, U16(server ? server->password() : "p"));
    return run();
  }
  // The record of a file stored in `folder` under `name` on standard output.
  std::regex storedRecord(const std::string& where, const std::string& name,
                          const std::string& scheme = "") const {
    return std::regex(kStamp + "Quillpost: stored server=" + scheme + server->address() +
                      " folder=" + where + " name=" + name + " bytes=7 seconds=\\d+\\.\\d{3}\n");
  }

  testsupport::TempDir folder;  // the program and its settings file
  testsupport::TempDir local;   // the file to upload
  std::unique_ptr<testsupport::FtpServer> server;
};

// Over TLS: without "Quillpst.pem" the test CA is unknown, so no connection, the certificate
// named; with it beside the program the file is stored, the server shown as written.
TEST_F(QuillpostProgram, RefusedCertificateEndsWithThreeAndQuillpstPemLetsTheFileBeStored) {
  testsupport::PyftpdlibOptions options;
  options.tlsCertificate = testsupport::TestCertificate("server.pem");
  const SettingsRecord settings = serverSettings(options, "ftpes://");
  ASSERT_NE(server, nullptr);
  testsupport::ProcessResult result = run(settings);
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_TRUE(std::regex_match(
      result.err,
      std::regex(kStamp + "Quillpost: 12045 / [^\n]+ / SHA-256 [0-9A-F]{2}(:[0-9A-F]{2}){31}\n" +
                 kStamp + "Quillpost: 接続できませんでした\n")))
      << result.err;
  fs::copy_file(testsupport::TestCertificate("ca.crt"), folder.file("Quillpst.pem"));
  result = run(settings);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/stored.csv"), "1,2,3\r\n");
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "stored.csv", "ftpes://")))
      << result.out;
  const std::regex record(kStamp + "Quillpost: Quillpost ver1\\.0 / " + local.file("data.csv") +
                          " は / \\d{4}/\\d{2}/\\d{2}( \\d{1,2}:\\d{2}:\\d{2})? / ftpes://" +
                          server->address() + " / に送信されました\n");
  EXPECT_TRUE(std::regex_match(result.err, record)) << result.err;
}

TEST_F(QuillpostProgram, StoredAfterAnErrorBoxEndsWithFiveAndNamesWhereTheFileWent) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  // The directory change fails; the file goes to the login directory under the date name,
  // with no completion box: the records alone tell a scheduler what happened.
  settings.InitialDir = u"/missing";
  settings.RemoteFileName = u"NowDateMode";
  const testsupport::ProcessResult result = run(settings);
  EXPECT_EQ(result.exitCode, 5) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "\\d{12}"))) << result.out;
  EXPECT_TRUE(std::regex_match(result.err, std::regex(kStamp + "Quillpost: 550 / [^\n]+\n")))
      << result.err;
}

TEST_F(QuillpostProgram, MissingSettingsFileEndsWithOne) {
  const testsupport::ProcessResult result = run();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "Quillpost: 設定ファイル Quillpst.dat が見つかりません / " +
                             folder.file("Quillpst.dat") + "\n")))
      << result.err;
}

// A DISPLAY left over in a scheduler's environment names an X server nobody serves: the run
// goes on without a window.
TEST_F(QuillpostProgram, MissingLocalFileEndsWithTwoAlsoWhenTheDisplayCannotBeReached) {
  WriteSettingsFile(folder.path(),
                    {u"127.0.0.1:1", u"u", u"", u"", U16(local.file("absent.csv")), u"x"}, u"p");
  testsupport::ProcessOptions unreachable = testsupport::Headless();
  unreachable.unsetEnv.push_back("QT_QPA_PLATFORM");
  unreachable.setEnv.emplace_back("DISPLAY", UnservedDisplay());
  const testsupport::ProcessResult result = run({}, unreachable);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "Quillpost: 指定したローカルファイルは存在しません\n")))
      << result.err;
}

TEST_F(QuillpostProgram, FailedUploadEndsWithFour) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  settings.RemoteFileName = u"";  // refused by the server
  const testsupport::ProcessResult result = run(settings);
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_TRUE(std::regex_match(result.err, std::regex(kStamp + "Quillpost: \\d+ / [^\n]+\n")))
      << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(QuillpostProgram,
       HelpAndVersionPrintAndAnyOtherArgumentEndsWithSixtyFourAllUploadingNothing) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  WriteSettingsFile(folder.path(), settings, U16(server->password()));
  testsupport::ProcessResult result = run({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("usage: Quillpost [--help | --version]\n", 0), 0u) << result.out;
  EXPECT_NE(result.out.find(folder.file("Quillpst.dat")), std::string::npos) << result.out;
  result = run({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Quillpost 1.0\n");
  for (const std::vector<std::string>& refused :
       std::vector<std::vector<std::string>>{{"upload.csv"}, {"--help", "--version"}}) {
    result = run(refused);
    EXPECT_EQ(result.exitCode, 64);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Quillpost: unknown argument \"" + refused.back() +
                              "\"; usage: Quillpost [--help | --version]\n");
  }
  EXPECT_TRUE(server->commands().empty());
  EXPECT_FALSE(fs::exists(server->root() + "/stored.csv"));
}

}  // namespace
}  // namespace uploadertest
