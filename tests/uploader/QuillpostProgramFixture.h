// The built Quillpost run from a copy in a temporary folder, headless (no DISPLAY, no
// WAYLAND_DISPLAY), with the settings file beside it and a local file to upload; for the tests
// of the whole program.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/Process.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"

#ifndef QP_QUILLPOST
#error "QP_QUILLPOST must name the built Quillpost"
#endif
#if !defined(QP_QUILLPOST_WINDOW) || !defined(QP_QUILLPOST_SHORT_TIMEOUTS)
#error "the built library of Quillpost's window and its test copy with short deadlines"
#endif

namespace uploadertest {

namespace fs = std::filesystem;

// A display that no X server of this machine serves: no socket for it, in the file system or
// in the abstract namespace (listed in /proc/net/unix), and no lock file.
inline std::string UnservedDisplay() {
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
inline const std::string kStamp = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d )";

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
                          const std::string& scheme = "",
                          const std::string& via = "rename verified=size") const {
    return std::regex(kStamp + "Quillpost: stored server=" + scheme + server->address() +
                      " folder=" + where + " name=" + name +
                      " bytes=7 seconds=\\d+\\.\\d{3} via=" + via + "\n");
  }

  testsupport::TempDir folder;  // the program and its settings file
  testsupport::TempDir local;   // the file to upload
  std::unique_ptr<testsupport::FtpServer> server;
};

}  // namespace uploadertest
