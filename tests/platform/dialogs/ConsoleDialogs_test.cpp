#include "platform/dialogs/ConsoleDialogs.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

namespace dialogs {
namespace {

TEST(ConsoleDialogs, EachBoxIsTitleColonTextInUtf8WithLineFeeds) {
  std::ostringstream out;
  ConsoleDialogs console(out);
  console.MessageBox(u"12007\r\nname not resolved", u"Quillpost", Buttons::Ok, Icon::Critical);
  console.MessageBox(u"a\nb\rc\r\n\r\nd", u"T", Buttons::Ok, Icon::None);
  console.MessageBox(u"𠮷野家", u"ﾌｫﾙﾀﾞ", Buttons::Ok, Icon::None);  // a surrogate pair
  console.InputBox(u"新しいファイル名を入力してください。", u"ファイル名の変更", u"a.txt");
  // Narrow literals are UTF-8 here (GCC's default execution character set).
  EXPECT_EQ(out.str(),
            "Quillpost: 12007\nname not resolved\nT: a\nb\rc\n\nd\nﾌｫﾙﾀﾞ: 𠮷野家\n"
            "ファイル名の変更: 新しいファイル名を入力してください。\n");
}

TEST(ConsoleDialogs, AnswersWithTheFirstButtonOrThePreset) {
  std::ostringstream out;
  ConsoleDialogs console(out);
  EXPECT_EQ(console.MessageBox(u"", u"", Buttons::Ok, Icon::None), BoxAnswer::Ok);
  EXPECT_EQ(console.MessageBox(u"", u"", Buttons::OkCancel, Icon::None), BoxAnswer::Ok);
  EXPECT_EQ(console.MessageBox(u"", u"", Buttons::YesNo, Icon::Question), BoxAnswer::Yes);
  EXPECT_EQ(console.MessageBox(u"", u"", Buttons::YesNoCancel, Icon::None), BoxAnswer::Yes);
  EXPECT_EQ(console.InputBox(u"p", u"T", u"a.txt"), u"a.txt");
  EXPECT_EQ(console.InputBox(u"p", u"T", u""), u"");
}

TEST(HasDisplay, NeedsDisplayOrWaylandDisplaySetAndNotEmpty) {
  const char* savedDisplay = getenv("DISPLAY");
  const char* savedWayland = getenv("WAYLAND_DISPLAY");
  std::string display = savedDisplay ? savedDisplay : "",
              wayland = savedWayland ? savedWayland : "";
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(HasDisplay());
  setenv("DISPLAY", "", 1);
  setenv("WAYLAND_DISPLAY", "", 1);
  EXPECT_FALSE(HasDisplay());
  setenv("DISPLAY", ":0", 1);
  EXPECT_TRUE(HasDisplay());
  unsetenv("DISPLAY");
  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  EXPECT_TRUE(HasDisplay());
  savedDisplay ? setenv("DISPLAY", display.c_str(), 1) : unsetenv("DISPLAY");
  savedWayland ? setenv("WAYLAND_DISPLAY", wayland.c_str(), 1) : unsetenv("WAYLAND_DISPLAY");
}

}  // namespace
}  // namespace dialogs
