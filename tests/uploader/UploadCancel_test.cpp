// A person's cancel of the start-up's upload, on each server of the suite (the engine's own
// tests play the servers that stop reading or answering): the run fails with the cancel's own box (never
// "stored"), the previous remote file is left as it was, the temporary name goes where the
// connection allows it, and the start-up returns soon after the request.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "uploader/StartUp.h"

namespace uploadertest {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char16_t kCancelled[] = u"12017\r\n転送は取り消されました。ファイルは保存されていません。";

// Asks to cancel once `after` bytes are sent, and notes when.
class CancelAfter final : public UploadProgress {
 public:
  CancelAfter(uint64_t after, std::optional<Clock::time_point>& askedAt)
      : m_after(after), m_askedAt(askedAt) {}
  bool update(uint64_t bytes, uint64_t) override {
    if (bytes < m_after) return true;
    if (!m_askedAt) m_askedAt = Clock::now();
    return false;
  }

 private:
  uint64_t m_after;
  std::optional<Clock::time_point>& m_askedAt;
};

struct CancelOutcome {
  ExitStatus status = ExitStatus::Done;
  std::vector<std::u16string> shown;
  double secondsAfterCancel = -1;
};

// Uploads a 4 GiB file (sparse here, and far more than loopback carries before the first
// progress report) as "stored.csv" into `folder` on `server` and cancels it after its first MiB.
CancelOutcome uploadAndCancel(const testsupport::FtpServer& server, const std::u16string& folder) {
  testsupport::TempDir local;
  testsupport::WriteFile(local.file("big.bin"), "");
  fs::resize_file(local.file("big.bin"), uint64_t{4} << 30);
  WriteSettingsFile(local.path(),
                    {U16(server.address()), U16(server.user()), u"", folder,
                     U16(local.file("big.bin")), u"stored.csv"},
                    U16(server.password()));
  dialogs::ScriptedDialogs boxes;
  PlainControls controls;
  std::optional<Clock::time_point> askedAt;
  CancelOutcome outcome;
  {
    const std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes);
    StartUpEnvironment environment{U16(local.path()), FixedClock};
    environment.progress = [&](const std::u16string&) {
      return std::make_unique<CancelAfter>(1 << 20, askedAt);
    };
    outcome.status = RunStartUp(controls, *clsFtp, boxes, environment);
  }
  if (askedAt) {
    outcome.secondsAfterCancel = std::chrono::duration<double>(Clock::now() - *askedAt).count();
  }
  for (const dialogs::AskedBox& box : boxes.asked()) outcome.shown.push_back(box.text);
  return outcome;
}

TEST(UploadCancel, OnEveryServerTheRunFailsWithItsOwnBoxAndThePreviousFileStays) {
  const std::vector<std::pair<const char*, std::function<std::unique_ptr<testsupport::FtpServer>()>>>
      servers = {{"pyftpdlib", [] { return testsupport::StartPyftpdlib(); }},
                 {"vsftpd", [] { return testsupport::StartVsftpd(); }},
                 {"proftpd", [] { return testsupport::StartProftpd(); }},
                 {"pure-ftpd", [] { return testsupport::StartPureFtpd(); }}};
  for (const auto& [name, start] : servers) {
    SCOPED_TRACE(name);
    const std::unique_ptr<testsupport::FtpServer> server = start();
    if (!server) {
      std::cerr << "skipped: " << testsupport::LastStartFailure() << "\n";
      continue;
    }
    const std::string up = server->root() + "/up";
    fs::create_directory(up);
    testsupport::WriteFile(up + "/stored.csv", "the previous version\n");
    server->handRootToServer();
    const CancelOutcome outcome = uploadAndCancel(*server, u"up");
    EXPECT_EQ(outcome.status, ExitStatus::UploadFailed);
    ASSERT_FALSE(outcome.shown.empty());
    EXPECT_EQ(outcome.shown.back(), kCancelled);
    EXPECT_EQ(fs::file_size(up + "/stored.csv"), 21u);
    EXPECT_EQ(testsupport::ReadFile(up + "/stored.csv").substr(0, 30), "the previous version\n");
    // The control connection is still usable after the abort: the temporary name is deleted.
    EXPECT_FALSE(fs::exists(up + "/.stored_csv.quillpost-upload"));
    EXPECT_EQ(std::distance(fs::directory_iterator(up), fs::directory_iterator()), 1);
    EXPECT_GE(outcome.secondsAfterCancel, 0);
    // What the closing note of the run reports: how soon each server let the run end.
    std::cerr << "cancel on " << name << ": the start-up ended " << outcome.secondsAfterCancel
              << " s after the request\n";
  }
}

}  // namespace
}  // namespace uploadertest
