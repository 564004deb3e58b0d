// The built Quillpost run headless (no DISPLAY, no WAYLAND_DISPLAY) from a copy in a temporary
// folder, with the settings file beside it: the exit statuses and what goes to standard error.
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
  testsupport::ProcessResult runAsIs() {
    testsupport::ProcessResult result =
        testsupport::RunProcess({program()}, testsupport::Headless());
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.out, "");
    return result;
  }

  testsupport::TempDir folder;  // the program and its settings file
  testsupport::TempDir local;   // the file to upload
  std::unique_ptr<testsupport::FtpServer> server;
};

TEST_F(QuillpostProgram, StoredFileEndsWithZeroAndTheCompletionRecord) {
  const SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(testsupport::ReadFile(server->root() + "/stored.csv"), "1,2,3\r\n");
  const std::regex record("Quillpost: Quillpost ver1\\.0\n\n" + local.file("data.csv") +
                          " は\n\\d{4}/\\d{2}/\\d{2}( \\d{1,2}:\\d{2}:\\d{2})?\nftp://" +
                          server->address() + "\nに送信されました\n");
  EXPECT_TRUE(std::regex_match(result.err, record)) << result.err;
}

TEST_F(QuillpostProgram, EmptyLocalPathEndsWithZeroAndSaysNothing) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  settings.LocalFilePath = u"";
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err, "");
}

TEST_F(QuillpostProgram, SettingsProblemsEndWithOne) {
  testsupport::ProcessResult result = runAsIs();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Quillpost: 設定ファイル Quillpst.dat が見つかりません\n" +
                            folder.file("Quillpst.dat") + "\n");
  testsupport::WriteFile(folder.file("Quillpst.dat"), "\"only\",\"three\",\"fields\"\r\n");
  result = runAsIs();
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind("Quillpost: 設定ファイル Quillpst.dat の項目が足りません", 0), 0u)
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
    EXPECT_EQ(result.err, "Quillpost: 指定したローカルファイルは存在しません\n");
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
  const std::regex records("Quillpost: \\d+\n[^\n]+\nQuillpost: 接続できませんでした\n");
  EXPECT_TRUE(std::regex_match(result.err, records)) << result.err;
}

TEST_F(QuillpostProgram, FailedUploadEndsWithFour) {
  SettingsRecord settings = serverSettings();
  ASSERT_NE(server, nullptr);
  settings.InitialDir = u"/locked";
  settings.RemoteFileName = u"";  // refused by the server
  const testsupport::ProcessResult result = run(settings, server->password());
  EXPECT_EQ(result.exitCode, 4);
  // The failed directory change, then the failed upload; no completion record. A server reply
  // keeps its own line end, which shows as an empty line.
  const std::regex records("(Quillpost: \\d+\n[^\n]+\n\n?){2}");
  EXPECT_TRUE(std::regex_match(result.err, records)) << result.err;
}

}  // namespace
}  // namespace uploadertest
