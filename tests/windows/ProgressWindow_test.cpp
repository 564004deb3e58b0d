// The Win32 progress window in this process: the bar between its marquee and its position, the
// texts of the view, and "キャンセル", Esc and closing the window each asking to cancel through
// the messages the window system queues, which cancelRequested() lets run.
#include <gtest/gtest.h>

#include "platform/winui/Win32.h"

#include <commctrl.h>

#include "tests/windows/Win32TestSupport.h"
#include "uploader/win32/fProgress.h"

namespace {

using wintest::ControlOf;
using wintest::TextOf;

HWND progressWindow() { return FindWindowW(L"fProgress", L"Quillpost"); }

TEST(ProgressWindow, TheBarIsAMarqueeUntilATotalIsKnownAndTheTextsFollowTheView) {
  const auto window = OpenProgressWindow(u"C:\\データ\\月末 & 報告.csv");
  ASSERT_NE(window, nullptr);
  HWND form = progressWindow();
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(IsWindowVisible(form));
  HWND bar = ControlOf(form, PROGRESS_CLASSW);
  ASSERT_NE(bar, nullptr);
  // The file's own name, "&" as it is.
  EXPECT_NE(ControlOf(form, L"Static", L"月末 & 報告.csv"), nullptr);
  const auto marquee = [bar] { return (GetWindowLongW(bar, GWL_STYLE) & PBS_MARQUEE) != 0; };

  window->display({0, false, u"215.0 MB", u"45.2 MB/秒", u""});
  EXPECT_TRUE(marquee());
  EXPECT_NE(ControlOf(form, L"Static", L"215.0 MB"), nullptr);
  EXPECT_NE(ControlOf(form, L"Static", L"45.2 MB/秒"), nullptr);

  window->display({420, true, u"215.0 MB / 512.0 MB", u"45.2 MB/秒", u"残り 6 秒"});
  EXPECT_FALSE(marquee());
  EXPECT_EQ(SendMessageW(bar, PBM_GETRANGE, FALSE, 0), 1000);
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 420);
  HWND left = ControlOf(form, L"Static", L"残り 6 秒");
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(GetWindowLongW(left, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
  EXPECT_EQ(ControlOf(form, L"Static", L"215.0 MB"), nullptr);
  EXPECT_FALSE(window->cancelRequested());
}

TEST(ProgressWindow, CancelEscAndClosingEachAskToStopAndTheWindowStaysUntilDestroyed) {
  for (const int how : {0, 1, 2}) {
    SCOPED_TRACE(how);
    auto window = OpenProgressWindow(u"d.csv");
    ASSERT_NE(window, nullptr);
    HWND form = progressWindow();
    HWND cancel = ControlOf(form, L"Button", L"キャンセル");
    ASSERT_NE(cancel, nullptr);
    EXPECT_FALSE(window->cancelRequested());
    if (how == 0) PostMessageW(cancel, BM_CLICK, 0, 0);
    if (how == 1) {
      PostMessageW(form, WM_KEYDOWN, VK_ESCAPE, 0);
    }
    if (how == 2) PostMessageW(form, WM_CLOSE, 0, 0);
    // Nothing happens before the window system runs; then once asked, it stays asked.
    EXPECT_TRUE(window->cancelRequested());
    EXPECT_TRUE(window->cancelRequested());
    EXPECT_TRUE(IsWindow(form));
    EXPECT_FALSE(IsWindowEnabled(cancel));
    window.reset();
    EXPECT_FALSE(IsWindow(form));
  }
}

}  // namespace
