#include "platform/dialogs/ConsoleDialogs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>
#include <sstream>

namespace dialogs {
namespace {

TEST(ConsoleDialogs, EachBoxIsOneStampedLineAnsweredWithTheFirstButtonOrThePreset) {
  std::ostringstream out;
  ConsoleDialogs console(out, [] { return std::string("2026-12-07T09:05:03+09:00"); });
  EXPECT_EQ(
      console.MessageBox(u"12007\r\nname not resolved", u"Quillpost", Buttons::Ok, Icon::Critical),
      BoxAnswer::Ok);
  // Runs of breaks count once; breaks at the ends go; a server's reply keeps no escapes.
  EXPECT_EQ(
      console.MessageBox(u"\r\na\nb\rc\r\n\r\nd\u2028e\r\n", u"T", Buttons::OkCancel, Icon::None),
      BoxAnswer::Ok);
  EXPECT_EQ(console.MessageBox(u"550 \x1b[31mx\x7f\tend", u"T", Buttons::YesNo, Icon::Question),
            BoxAnswer::Yes);
  EXPECT_EQ(console.MessageBox(u"𠮷野家", u"ﾌｫﾙﾀﾞ", Buttons::YesNoCancel, Icon::None),
            BoxAnswer::Yes);
  EXPECT_EQ(
      console.InputBox(u"新しいファイル名を入力してください。", u"ファイル名の変更", u"a.txt"),
      u"a.txt");
  // Narrow literals are UTF-8 here (GCC's default execution character set).
  EXPECT_EQ(out.str(),
            "2026-12-07T09:05:03+09:00 Quillpost: 12007 / name not resolved\n"
            "2026-12-07T09:05:03+09:00 T: a / b / c / d / e\n"
            "2026-12-07T09:05:03+09:00 T: 550 ?[31mx?\tend\n"
            "2026-12-07T09:05:03+09:00 ﾌｫﾙﾀﾞ: 𠮷野家\n"
            "2026-12-07T09:05:03+09:00 ファイル名の変更: 新しいファイル名を入力してください。\n");
}

// The variables are the test program's own; no other test of it reads them.
TEST(ConsoleDialogs, StampIsIso8601LocalTimeAndADisplayNeedsANonEmptyVariable) {
  setenv("TZ", "JST-9", 1);
  tzset();
  const std::string stamp = LocalTimeStamp();
  unsetenv("TZ");
  tzset();
  EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+09:00)")))
      << stamp;
  setenv("DISPLAY", "", 1);
  setenv("WAYLAND_DISPLAY", "", 1);
  EXPECT_FALSE(HasDisplay());
  setenv("DISPLAY", ":0", 1);
  EXPECT_TRUE(HasDisplay());
  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  EXPECT_TRUE(HasDisplay());
  unsetenv("WAYLAND_DISPLAY");
}

}  // namespace
}  // namespace dialogs
