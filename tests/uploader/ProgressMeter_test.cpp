// The built Quillpost's meter, headless: with standard error on a pseudo-terminal a slow
// upload draws its one-line meter there and erases it at the end; with standard error
// redirected (cron, the Task Scheduler, a pipe) not one byte of it appears.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include "tests/support/common/Process.h"
#include "tests/uploader/QuillpostProgramFixture.h"

namespace uploadertest {
namespace {

class ProgressMeter : public QuillpostProgram {
 protected:
  void SetUp() override {
    QuillpostProgram::SetUp();
    server = testsupport::StartScriptedFtpd("stor-slow");
    ASSERT_TRUE(server) << testsupport::LastStartFailure();
    // 8 MiB at 2 MiB a second: a few seconds, past the second before the meter.
    testsupport::WriteFile(local.file("data.csv"), std::string(8 << 20, 'm'));
    WriteSettingsFile(folder.path(),
                      {U16(server->address()), U16(server->user()), u"", u"/",
                       U16(local.file("data.csv")), u"stored.csv"},
                      U16(server->password()));
  }

  // Runs the program with standard error on a new pseudo-terminal; returns what the terminal
  // showed, and the exit status in `*status`.
  std::string runOnTerminal(int* status, std::string* out) {
    int master = -1;
    int slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
      ADD_FAILURE() << "no pseudo-terminal";
      return {};
    }
    const std::string outFile = local.file("stdout.txt");
    const int outFd = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::string error;
    const pid_t pid = testsupport::SpawnProcess({program()}, testsupport::Headless(), outFd,
                                                slave, error);
    close(slave);
    close(outFd);
    EXPECT_GT(pid, 0) << error;
    std::string shown;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    char buffer[4096];
    // Until the terminal's last writer is gone (the read fails with EIO) or the deadline.
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd ready{master, POLLIN, 0};
      if (poll(&ready, 1, 200) <= 0) {
        if (pid > 0 && testsupport::ProcessEnded(pid)) break;
        continue;
      }
      const ssize_t got = read(master, buffer, sizeof buffer);
      if (got <= 0) break;
      shown.append(buffer, static_cast<size_t>(got));
    }
    close(master);
    *status = pid > 0 ? testsupport::StopProcess(pid) : -1;
    *out = testsupport::ReadFile(outFile);
    return shown;
  }
};

TEST_F(ProgressMeter, OnATerminalTheMeterIsDrawnInPlaceAndErasedAtTheEnd) {
  int status = -1;
  std::string out;
  const std::string shown = runOnTerminal(&status, &out);
  EXPECT_EQ(status, 0) << shown;
  EXPECT_TRUE(std::regex_match(out, std::regex(kStamp + "Quillpost: stored .*\n"))) << out;
  // The meters, then the completion box's record, which begins on a clean line of its own.
  const size_t record = shown.find("Quillpost: Quillpost ver1.0 / ");
  ASSERT_NE(record, std::string::npos) << shown;
  ASSERT_GE(record, 26u);
  const std::string meters = shown.substr(0, record - 26);  // the record's time stamp
  EXPECT_NE(meters.find("% "), std::string::npos) << meters;
  EXPECT_NE(meters.find(" / 8.00 MB"), std::string::npos) << meters;
  EXPECT_NE(meters.find("MB/s"), std::string::npos) << meters;
  EXPECT_EQ(meters.find('\n'), std::string::npos) << "no meter is a line of its own: " << meters;
  // Erased: spaces over the last meter, the cursor back at the line's start.
  ASSERT_GE(meters.size(), 2u);
  EXPECT_EQ(meters.back(), '\r') << meters;
  const size_t erased = meters.rfind('\r', meters.size() - 2);
  ASSERT_NE(erased, std::string::npos);
  EXPECT_EQ(meters.substr(erased + 1).find_first_not_of(" \r"), std::string::npos) << meters;
  EXPECT_TRUE(std::regex_match(shown.substr(record - 26), std::regex(kStamp + "Quillpost: [^\r\n]*に送信されました\r\n")))
      << shown.substr(record - 26);
}

TEST_F(ProgressMeter, RedirectedStandardErrorGetsNoMeterBytes) {
  const testsupport::ProcessResult result = run({}, testsupport::Headless({{}, {}, std::chrono::seconds(30)}));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  // The completion box's record and nothing else: no CR, no meter.
  EXPECT_TRUE(std::regex_match(result.err, std::regex(kStamp + "Quillpost: [^\r\n]*に送信されました\n")))
      << result.err;
  EXPECT_TRUE(std::regex_match(result.out, std::regex(kStamp + "Quillpost: stored .*\n")))
      << result.out;
}

}  // namespace
}  // namespace uploadertest
