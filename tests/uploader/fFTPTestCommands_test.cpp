// The window's wiring: each button and the double-click reach their handler, and what they do
// reaches a real pyftpdlib server. The handlers' decisions are tested without a window
// (WindowCommands_test.cpp).
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

#include "tests/uploader/UploaderTestSupport.h"
#include "tests/uploader/WindowFixture.h"

namespace uploadertest {
namespace {

namespace fs = std::filesystem;
using dialogs::BoxAnswer;

TEST_F(WindowFixture, ButtonsAndDoubleClickReachTheServerThroughTheirHandlers) {
  testsupport::WriteFile(local.file("up.bin"), std::string("\0\r\nbinary", 9));
  connectWindow(false);
  EXPECT_TRUE(serverGot("EPRT") || serverGot("PORT"));
  EXPECT_FALSE(window().cmdOpen()->isEnabled());

  boxes.answerInput(u"新しい dir");
  window().cmdMakeDir()->click();
  EXPECT_TRUE(fs::is_directory(served("新しい dir")));
  select(u"D 新しい dir\t");
  emit window().lstFiles()->itemDoubleClicked(window().lstFiles()->currentItem());
  EXPECT_EQ(window().clsFtp()->CurDir(), u"/新しい dir");

  boxes.answerInput(U16(local.file("up.bin")));
  boxes.answerInput(u"stored.bin");
  window().cmdPut()->click();
  EXPECT_EQ(testsupport::ReadFile(served("新しい dir/stored.bin")), std::string("\0\r\nbinary", 9));
  select(u"F stored.bin\t9\t");
  boxes.answerInput(u"renamed.bin");
  window().cmdRename()->click();
  select(u"F renamed.bin");
  boxes.answerInput(U16(local.path()));
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdGet()->click();
  EXPECT_EQ(testsupport::ReadFile(local.file("renamed.bin")), std::string("\0\r\nbinary", 9));
  select(u"F renamed.bin");
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdDel()->click();
  EXPECT_FALSE(fs::exists(served("新しい dir/renamed.bin")));

  window().cmdClose()->click();
  EXPECT_EQ(window().clsFtp()->hFTP(), 0u);
  EXPECT_TRUE(window().cmdOpen()->isEnabled());
  EXPECT_TRUE(lines().empty());
  EXPECT_TRUE(boxes.scriptFollowed());
  EXPECT_EQ(boxes.asked().size(), 8u);  // no error box on the way
}

}  // namespace
}  // namespace uploadertest
