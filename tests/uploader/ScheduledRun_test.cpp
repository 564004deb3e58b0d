// Tries of the start-up where a person sees the boxes: while another try may follow, a try's
// boxes are written as records instead, and only the last try's are shown; against the
// recording fake of the internet API, with the waits between tries recorded, not slept.
#include "uploader/ScheduledRun.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"

namespace uploadertest {
namespace {

using std::chrono::milliseconds;

class ScheduledRun : public testing::Test {
 protected:
  ScheduledRun() {
    testsupport::WriteFile(folder.file("report.bin"), "payload");
    WriteSettingsFile(folder.path(),
                      {u"h", u"u", u"", u"", U16(folder.file("report.bin")), u"r.bin"}, u"p");
    fake.fileSize = 7;
    timing.sleep = [this](milliseconds wait) { waits.push_back(wait.count()); };
  }

  ExitStatus run(const RunOptions& options) {
    return RunScheduled(controls, *clsFtp, boxes, {U16(folder.path()), FixedClock}, options,
                        timing);
  }
  std::vector<std::u16string> shownTexts() const {
    std::vector<std::u16string> texts;
    for (const dialogs::AskedBox& box : screen.asked()) texts.push_back(box.text);
    return texts;
  }

  testsupport::TempDir folder;
  testsupport::FakeInternetApi fake;
  dialogs::ScriptedDialogs screen;
  std::ostringstream records;
  RecordLog log{u"", records};
  RunDialogs boxes{screen, log, records, true};
  PlainControls controls;
  std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, &fake);
  RetryTiming timing;
  std::vector<long long> waits;
};

TEST_F(ScheduledRun, EarlierTriesBecomeRecordsAndOnlyTheLastIsShownAfterWaitsThatDouble) {
  RunOptions options;
  options.retries = 3;
  for (int i = 0; i < 4; ++i) fake.failNext("InternetConnectA", inet::kErrorInternetCannotConnect);
  EXPECT_EQ(run(options), ExitStatus::NotConnected);
  EXPECT_EQ(waits, (std::vector<long long>{1000, 2000, 4000}));
  // Three tries as records (a box each, its "could not connect" and the try to come), the
  // fourth on the screen.
  EXPECT_EQ(shownTexts(), (std::vector<std::u16string>{u"12029\r\nサーバーに接続できませんでした。",
                                                       u"接続できませんでした"}));
  const std::string written = records.str();
  EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 9) << written;
  EXPECT_NE(written.find("Quillpost: 12029 / "), std::string::npos) << written;
  EXPECT_NE(written.find("4.0 秒後にもう一度試みます (4 回目 / 最大 4 回)"), std::string::npos);
  // A transient failure, then success: the first try's boxes stay records.
  records.str("");
  waits.clear();
  fake.failNext("InternetConnectA", inet::kErrorInternetTimeout);
  EXPECT_EQ(run(options), ExitStatus::Done);
  EXPECT_EQ(waits, std::vector<long long>{1000});
  EXPECT_EQ(screen.asked().size(), 3u);  // the completion message is the only new box
  EXPECT_EQ(screen.asked().back().icon, dialogs::Icon::Information);
}

TEST_F(ScheduledRun, APermanentFailureOrSpentTimeEndsTheRunAtOnceAndItsBoxesAreShown) {
  RunOptions options;
  options.retries = 5;
  fake.failNext("InternetConnectA", inet::kErrorInternetExtendedError);
  fake.response = "530 Login incorrect.";
  fake.responseError = 530;
  EXPECT_EQ(run(options), ExitStatus::NotConnected);
  options.retryMaxSeconds = 0;
  fake.failNext("InternetConnectA", inet::kErrorInternetCannotConnect);
  EXPECT_EQ(run(options), ExitStatus::NotConnected);
  EXPECT_TRUE(waits.empty());
  EXPECT_EQ(records.str(), "");
  EXPECT_EQ(shownTexts(),
            (std::vector<std::u16string>{u"530\r\n530 Login incorrect.", u"接続できませんでした",
                                         u"12029\r\nサーバーに接続できませんでした。",
                                         u"接続できませんでした"}));
}

}  // namespace
}  // namespace uploadertest
