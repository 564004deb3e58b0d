// What a person sees of a long upload, without a window system: the figures (sizes, rate,
// time left), the window rules on a stand-in window under a hand-moved clock (nothing for the
// first second, redraws a few times a second, cancel), and the terminal meter over a string
// stream (its redraw limit, the records it makes way for, the line it leaves clean).
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <sstream>

#include "uploader/ProgressPace.h"
#include "uploader/ProgressWindow.h"
#include "uploader/TerminalMeter.h"

namespace uploadertest {
namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

TEST(ProgressFigures, SizesRateAndTimeLeftReadAsAPersonExpects) {
  EXPECT_EQ(ProgressSizeText(0), u"0 B");
  EXPECT_EQ(ProgressSizeText(1023), u"1023 B");
  EXPECT_EQ(ProgressSizeText(1024), u"1.00 KB");
  EXPECT_EQ(ProgressSizeText(12 * 1024 * 1024 + 300 * 1024), u"12.3 MB");
  EXPECT_EQ(ProgressSizeText(1536ull << 20), u"1.50 GB");
  EXPECT_EQ(ProgressSizeText(UINT64_MAX), u"16.0 EB");
  EXPECT_EQ(ProgressTimeLeftText(0.2), u"残り 1 秒") << "never 0 while bytes are left";
  EXPECT_EQ(ProgressTimeLeftText(80), u"残り 1 分 20 秒");
  EXPECT_EQ(ProgressTimeLeftText(2 * 3600 + 5 * 60 + 59), u"残り 2 時間 5 分");
  EXPECT_EQ(ProgressTimeLeftText(-1), u"");
  EXPECT_EQ(ProgressTimeLeftText(std::numeric_limits<double>::infinity()), u"");

  ProgressPace pace;
  const Time t0{};
  pace.add(t0, 0, 100 << 20);
  EXPECT_LT(pace.bytesPerSecond(), 0) << "no rate from one sample";
  pace.add(t0 + 200ms, 4 << 20, 100 << 20);
  EXPECT_LT(pace.bytesPerSecond(), 0) << "no rate from the first instants";
  EXPECT_EQ(pace.view().rate, u"");
  // 1 MiB a second for ten seconds: the rate of the last five, not of the start's burst.
  for (int second = 1; second <= 10; ++second) pace.add(t0 + second * 1s, (4 + second) << 20, 100 << 20);
  EXPECT_NEAR(pace.bytesPerSecond(), 1 << 20, 1);
  EXPECT_NEAR(pace.secondsLeft(), 86, 0.01);
  ProgressView view = pace.view();
  EXPECT_EQ(view.permille, 140);
  EXPECT_EQ(view.sent, u"14.0 MB / 100.0 MB");
  EXPECT_EQ(view.rate, u"1.00 MB/秒");
  EXPECT_EQ(view.timeLeft, u"残り 1 分 26 秒");
  // A count that goes back (the transfer started over) restarts the rate.
  pace.add(t0 + 11s, 1 << 20, 100 << 20);
  EXPECT_LT(pace.bytesPerSecond(), 0);
  // A server's total smaller than what was sent: the bar stops full, the time left is unknown.
  pace.add(t0 + 12s, 200 << 20, 100 << 20);
  EXPECT_EQ(pace.view().permille, 1000);
  EXPECT_LT(pace.secondsLeft(), 0);
  // A line that all but stopped: no time left to tell, whatever the total.
  ProgressPace stalled;
  stalled.add(t0, 0, UINT64_MAX);
  stalled.add(t0 + 5s, 1, UINT64_MAX);
  EXPECT_LT(stalled.secondsLeft(), 0);
  EXPECT_EQ(stalled.view().timeLeft, u"");
  EXPECT_EQ(ProgressTimeLeftText(1e300), u"");
  // No total: no share, no time left.
  ProgressPace unknown;
  unknown.add(t0, 0, 0);
  unknown.add(t0 + 1s, 2048, 0);
  view = unknown.view();
  EXPECT_FALSE(view.totalKnown);
  EXPECT_EQ(view.sent, u"2.00 KB");
  EXPECT_EQ(view.timeLeft, u"");
  EXPECT_EQ(view.rate, u"2.00 KB/秒");
}

class ClockHand {
 public:
  Time now() const { return m_now; }
  void move(std::chrono::milliseconds by) { m_now += by; }
  ProgressClock clock() {
    return [this] { return m_now; };
  }

 private:
  Time m_now{std::chrono::hours(1)};
};

struct WindowLog {
  int opened = 0;
  int closed = 0;
  std::vector<ProgressView> shown;
  int asked = 0;
  bool cancel = false;
};

class StandInWindow final : public ProgressWindow {
 public:
  explicit StandInWindow(WindowLog& log) : m_log(log) { ++m_log.opened; }
  ~StandInWindow() override { ++m_log.closed; }
  void display(const ProgressView& view) override { m_log.shown.push_back(view); }
  bool cancelRequested() override {
    ++m_log.asked;
    return m_log.cancel;
  }

 private:
  WindowLog& m_log;
};

TEST(ProgressWindowRules, OpensAfterASecondRedrawsAFewTimesASecondClosesAndCancels) {
  ClockHand hand;
  WindowLog log;
  std::u16string openedFor;
  const UploadProgressFactory factory = WindowProgressFactory(
      [&](const std::u16string& file) {
        openedFor = file;
        return std::make_unique<StandInWindow>(log);
      },
      hand.clock());
  {
    const std::unique_ptr<UploadProgress> progress = factory(u"/data/大きな.bin");
    for (int tick = 0; tick < 4; ++tick) {
      EXPECT_TRUE(progress->update(tick * 1000, 10000));
      hand.move(200ms);
    }
    EXPECT_EQ(log.opened, 0) << "a small file never flashes a window";
    hand.move(200ms);  // 1 s since the upload began
    EXPECT_TRUE(progress->update(5000, 10000));
    EXPECT_EQ(log.opened, 1);
    EXPECT_EQ(openedFor, u"/data/大きな.bin");
    ASSERT_EQ(log.shown.size(), 1u);
    EXPECT_EQ(log.shown[0].permille, 500);
    // Told ten times in 500 ms: redrawn at most every 200 ms, but the window system runs at
    // every report (so the window stays alive while the line is slow).
    for (int tick = 0; tick < 10; ++tick) {
      hand.move(50ms);
      EXPECT_TRUE(progress->update(5000 + tick, 10000));
    }
    EXPECT_EQ(log.shown.size(), 3u);
    EXPECT_EQ(log.asked, 11);
    log.cancel = true;
    EXPECT_FALSE(progress->update(6000, 10000)) << "the upload is told to stop";
    EXPECT_EQ(log.closed, 0);
  }
  EXPECT_EQ(log.closed, 1) << "the window closes with the upload";

  // A window that cannot be opened is not asked for at every report.
  int attempts = 0;
  const UploadProgressFactory failing = WindowProgressFactory(
      [&](const std::u16string&) {
        ++attempts;
        return std::unique_ptr<ProgressWindow>();
      },
      hand.clock());
  const std::unique_ptr<UploadProgress> progress = failing(u"a.bin");
  for (int tick = 0; tick < 10; ++tick) {
    hand.move(500ms);
    EXPECT_TRUE(progress->update(tick, 100));
  }
  EXPECT_EQ(attempts, 1);
}

TEST(TerminalMeter, DrawsInPlaceAtMostFourTimesASecondMakesWayForRecordsAndLeavesTheLineClean) {
  ClockHand hand;
  std::ostringstream terminal;
  {
    TerminalLine line(terminal);
    const UploadProgressFactory factory = TerminalMeterFactory(line, hand.clock());
    {
      const std::unique_ptr<UploadProgress> meter = factory(u"a.bin");
      for (int tick = 0; tick < 9; ++tick) {
        EXPECT_TRUE(meter->update(tick << 20, 100 << 20));
        hand.move(100ms);
      }
      EXPECT_EQ(terminal.str(), "") << "nothing in the first second";
      // Two seconds of reports every 50 ms: eight or nine meters, not forty.
      for (int tick = 0; tick < 40; ++tick) {
        EXPECT_TRUE(meter->update((10 + tick) << 20, 100 << 20));
        hand.move(50ms);
      }
      const std::string drawn = terminal.str();
      const long meters = std::count(drawn.begin(), drawn.end(), '\r');
      EXPECT_GE(meters, 8);
      EXPECT_LE(meters, 9);
      EXPECT_EQ(drawn.find('\n'), std::string::npos) << "a meter is never a line of its own";
      // A record written meanwhile begins at the line's start, on a blank line.
      terminal.str("");
      terminal << "2026-12-08T10:00:00+09:00 Quillpost: 12030 / 切断されました" << std::endl;
      const std::string record = terminal.str();
      ASSERT_EQ(record[0], '\r') << record;
      const size_t back = record.find_first_not_of(' ', 1);
      ASSERT_GT(back, 10u) << "spaces over the meter: " << record;
      ASSERT_EQ(record[back], '\r');
      EXPECT_EQ(record.substr(back + 1),
                "2026-12-08T10:00:00+09:00 Quillpost: 12030 / 切断されました\n");
      terminal.str("");
      hand.move(300ms);
      EXPECT_TRUE(meter->update(60 << 20, 100 << 20));
      EXPECT_NE(terminal.str().find("60.0 MB / 100.0 MB"), std::string::npos) << terminal.str();
    }
    // The end erases the meter: spaces over it, the cursor back at the line's start.
    const std::string end = terminal.str();
    ASSERT_GE(end.size(), 2u);
    EXPECT_EQ(end.back(), '\r');
    EXPECT_EQ(end.substr(end.rfind('\r', end.size() - 2) + 1).find_first_not_of(" \r"),
              std::string::npos);
  }
  terminal.str("");
  terminal << "after\n";
  EXPECT_EQ(terminal.str(), "after\n") << "the stream is the terminal's own again";
}

TEST(TerminalMeter, ItsLineHoldsPercentBytesRateAndTimeLeftInAscii) {
  ProgressPace pace;
  const Time t0{};
  pace.add(t0, 0, 512ull << 20);
  pace.add(t0 + 4s, 215ull << 20, 512ull << 20);
  EXPECT_EQ(MeterLine(pace), " 41%  215.0 MB / 512.0 MB  53.8 MB/s  0:06 left");
  ProgressPace unknown;
  unknown.add(t0, 100, 0);
  EXPECT_EQ(MeterLine(unknown), "100 B");
}

}  // namespace
}  // namespace uploadertest
