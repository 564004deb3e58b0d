// The built Quillpost run headless (no DISPLAY, no WAYLAND_DISPLAY) from a copy in a temporary
// folder, with the settings file beside it: the exit statuses, the one-line records of the boxes
// on standard error, the record of the stored file on standard output, the command line.
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

  // Starts pyftpdlib and returns settings that upload data.csv as "stored.csv" to its root.
  SettingsRecord serverSettings() {
    server = testsupport::StartPyftpdlib();
    if (server == nullptr) {
      ADD_FAILURE() << testsupport::LastStartFailure();
      return {};
    }
    return {U16(server->address()),      U16(server->user()), u"", u"/",
            U16(local.file("data.csv")), u"stored.csv"};
  }

  testsupport::ProcessResult run(const SettingsRecord& settings, const std::string& password) {
    WriteSettingsFile(folder.path(), settings, U16(password));
    return runAsIs();
  }
  testsupport::ProcessResult runAsIs(const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> argv{program()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    testsupport::ProcessResult result = testsupport::RunProcess(argv, testsupport::Headless());
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  // The record of a file stored in `folder` under `name` on standard output.
  std::regex storedRecord(const std::string& folder, const std::string& name) const {
    return std::regex(kStamp + "Quillpost: stored server=" + server->address() +
                      " folder=" + folder + " name=" + name + " bytes=7 seconds=\\d+\\.\\d{3}\n");
  }

  testsupport::TempDir folder;  // the program and its settings file
  testsupport::TempDir local;   // the file to upload
  std::unique_ptr<testsupport::FtpServer> server;
};

TEST_F(QuillpostProgram, StoredFileEndsWithZeroAndOneRecordOnEachStream) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/stored.csv"), "1,2,3\r\n");
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "stored.csv"))) << result.out;
  const std::regex record(kStamp + "Quillpost: Quillpost ver1\\.0 / " + local.file("data.csv") +
                          " は / \\d{4}/\\d{2}/\\d{2}( \\d{1,2}:\\d{2}:\\d{2})? / ftp://" +
                          server->address() + " / に送信されました\n");
  EXPECT_TRUE(std::regex_match(result.err, record)) << result.err;
}

TEST_F(QuillpostProgram, TlsTrustsQuillpstPemBesideTheProgramAndNothingElseBeyondTheSystem) {
  testsupport::PyftpdlibOptions options;
  options.tlsCertificate = testsupport::TestCertificate("server.pem");
  server = testsupport::StartPyftpdlib(options);
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  const std::string name = "ftpes://" + server->address();
  const SettingsRecord settings{U16(name), U16(server->user()),         u"",
                                u"/",      U16(local.file("data.csv")), u"stored.csv"};
  // Without a trust file the test CA is unknown: no connection, the certificate named.
  testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 3) << result.err;
  EXPECT_TRUE(std::regex_search(result.err, std::regex(" Quillpost: 12045 / [^\n]+ / SHA-256 "
                                                       "[0-9A-F]{2}(:[0-9A-F]{2}){31}\n")))
      << result.err;
  fs::copy_file(testsupport::TestCertificate("ca.crt"), folder.file("Quillpst.pem"));
  result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/stored.csv"), "1,2,3\r\n");
  // The server is shown as written, without "ftp://" before its own scheme.
  EXPECT_NE(result.err.find(" / " + name + " / に送信されました\n"), std::string::npos)
      << result.err;
}

TEST_F(QuillpostProgram, StoredAfterAnErrorBoxEndsWithFiveAndNamesWhereTheFileWent) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  // The directory change fails; the file goes to the login directory under the date name,
  // with no completion box: the records alone tell a scheduler what happened.
  settings.InitialDir = u"/missing";
  settings.RemoteFileName = u"NowDateMode";
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 5) << result.err;
  EXPECT_TRUE(std::regex_match(result.out, storedRecord("/", "\\d{12}"))) << result.out;
  EXPECT_TRUE(std::regex_match(result.err, std::regex(kStamp + "Quillpost: \\d+ / [^\n]+\n")))
      << result.err;
}

TEST_F(QuillpostProgram, EmptyLocalPathEndsWithZeroAndSaysNothing) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  settings.LocalFilePath = u"";
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "");
}

TEST_F(QuillpostProgram, SettingsProblemsEndWithOne) {
  testsupport::ProcessResult result = runAsIs();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(std::regex_match(
      result.err, std::regex(kStamp + "Quillpost: 設定ファイル Quillpst.dat が見つかりません / " +
                             folder.file("Quillpst.dat") + "\n")))
      << result.err;
  testsupport::WriteFile(folder.file("Quillpst.dat"), "\"only\",\"three\",\"fields\"\r\n");
  result = runAsIs();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("Quillpost: 設定ファイル Quillpst.dat の項目が足りません"),
            std::string::npos)
      << result.err;
}

TEST_F(QuillpostProgram, MissingLocalFileEndsWithTwoAlsoWhenTheDisplayCannotBeReached) {
  WriteSettingsFile(folder.path(),
                    {u"127.0.0.1:1", u"u", u"", u"", U16(local.file("absent.csv")), u"x"}, u"p");
  // A DISPLAY left over in a scheduler's environment names an X server nobody serves.
  testsupport::ProcessOptions unreachable = testsupport::Headless();
  unreachable.unsetEnv.push_back("QT_QPA_PLATFORM");
  unreachable.setEnv.emplace_back("DISPLAY", UnservedDisplay());
  for (const testsupport::ProcessOptions& options : {testsupport::Headless(), unreachable}) {
    const testsupport::ProcessResult result = testsupport::RunProcess({program()}, options);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_TRUE(std::regex_match(
        result.err, std::regex(kStamp + "Quillpost: 指定したローカルファイルは存在しません\n")))
        << result.err;
  }
}

TEST_F(QuillpostProgram, RefusedConnectionEndsWithThree) {
  // A loopback port where nothing listens.
  auto stopped = testsupport::StartPyftpdlib();
  ASSERT_NE(stopped, nullptr) << testsupport::LastStartFailure();
  const std::string address = stopped->address();
  stopped.reset();
  const testsupport::ProcessResult result =
      run({U16(address), u"u", u"", u"", U16(local.file("data.csv")), u"x"}, "p");
  EXPECT_EQ(result.exitCode, 3);
  const std::regex records(kStamp + "Quillpost: \\d+ / [^\n]+\n" + kStamp +
                           "Quillpost: 接続できませんでした\n");
  EXPECT_TRUE(std::regex_match(result.err, records)) << result.err;
}

TEST_F(QuillpostProgram, FailedUploadEndsWithFour) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  settings.InitialDir = u"/locked";
  settings.RemoteFileName = u"";  // refused by the server
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 4);
  // The failed directory change, then the failed upload, one line each; no completion record.
  const std::regex records("(" + kStamp + "Quillpost: \\d+ / [^\n]+\n){2}");
  EXPECT_TRUE(std::regex_match(result.err, records)) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(QuillpostProgram, HelpAndVersionPrintAndAnyOtherArgumentIsRefusedAllUploadingNothing) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  WriteSettingsFile(folder.path(), settings, U16(server->password()));
  testsupport::ProcessResult result = runAsIs({"--help"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out.rfind("usage: Quillpost [--help | --version]\n", 0), 0u) << result.out;
  EXPECT_NE(result.out.find(folder.file("Quillpst.dat")), std::string::npos) << result.out;
  result = runAsIs({"--version"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "Quillpost 1.0\n");
  for (const std::vector<std::string>& refused :
       std::vector<std::vector<std::string>>{{"-h"}, {"upload.csv"}, {"--help", "--version"}}) {
    result = runAsIs(refused);
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
