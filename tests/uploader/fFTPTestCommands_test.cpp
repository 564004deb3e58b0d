// The seven commands and the double-click against a real pyftpdlib server, with scripted boxes.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "tests/uploader/WindowFixture.h"
#include "uploader/DownloadPath.h"

namespace uploadertest {
namespace {

namespace fs = std::filesystem;
using dialogs::AskedBox;
using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

class Commands : public WindowFixture {
 protected:
  // Connects and forgets the boxes asked so far.
  void connected() {
    connectWindow();
    m_mark = boxes.asked().size();
  }
  // The boxes asked since connected().
  std::vector<AskedBox> asked() const {
    return {boxes.asked().begin() + static_cast<long>(m_mark), boxes.asked().end()};
  }
  bool listed(const std::u16string& prefix) {
    for (const std::u16string& line : lines()) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

 private:
  size_t m_mark = 0;
};

TEST_F(Commands, ConnectFollowsThePassiveSwitchAndLocksItself) {
  testsupport::WriteFile(served("a.txt"), "a");
  connectWindow(true);
  EXPECT_TRUE(serverGot("EPSV") || serverGot("PASV"));
  EXPECT_EQ(lines().at(0), u". ");
  EXPECT_TRUE(listed(u"F a.txt\t1\t"));
  EXPECT_FALSE(window().cmdOpen()->isEnabled());
  window().cmdOpen()->click();  // disabled: nothing happens
  EXPECT_EQ(boxes.asked().size(), 1u);

  window().cmdClose()->click();
  EXPECT_EQ(window().clsFtp()->hFTP(), 0u);
  EXPECT_TRUE(window().cmdOpen()->isEnabled());
  EXPECT_TRUE(lines().empty());
  EXPECT_FALSE(serverGot("EPRT") || serverGot("PORT"));
  connectWindow(false);
  EXPECT_TRUE(serverGot("EPRT") || serverGot("PORT"));
  EXPECT_TRUE(listed(u"F a.txt"));
}

TEST_F(Commands, FailedConnectShowsTheErrorAlone) {
  window().txtServer()->setText("no-such-host.invalid");
  window().lstFiles()->addItem("kept");
  window().cmdOpen()->click();
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], u"12007\r\nサーバー名を解決できませんでした。", Icon::Critical);
  EXPECT_TRUE(window().cmdOpen()->isEnabled());
  EXPECT_EQ(lines(), std::vector<std::u16string>{u"kept"});
}

TEST_F(Commands, WithoutConnectionOnlyUploadAndDisconnectRun) {
  window().lstFiles()->addItem("F a.txt\t1\t2004/03/07 09:05");
  window().lstFiles()->setCurrentRow(0);
  for (QPushButton* b :
       {window().cmdDel(), window().cmdGet(), window().cmdRename(), window().cmdMakeDir()}) {
    b->click();
  }
  EXPECT_TRUE(boxes.asked().empty());
  window().cmdClose()->click();
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_TRUE(lines().empty());

  boxes.answerInput(U16(local.file("x")));
  boxes.answerInput(u"x");
  window().cmdPut()->click();
  ASSERT_EQ(boxes.asked().size(), 3u);
  EXPECT_EQ(boxes.asked()[2].icon, Icon::Critical);  // PutFile without connection
}

TEST_F(Commands, DeleteAsksThenRemovesFileOrDirectoryByTagAndRebuildsTheList) {
  testsupport::WriteFile(served("f.txt"), "f");
  fs::create_directory(served("d"));
  fs::create_directories(served("full/inner"));
  connected();
  select(u"F f.txt");
  boxes.answerMessage(BoxAnswer::No);
  window().cmdDel()->click();
  EXPECT_TRUE(fs::exists(served("f.txt")));

  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdDel()->click();
  EXPECT_FALSE(fs::exists(served("f.txt")));
  EXPECT_FALSE(listed(u"F f.txt"));

  select(u"D d\t");
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdDel()->click();
  EXPECT_FALSE(fs::exists(served("d")));
  EXPECT_FALSE(listed(u"D d\t"));

  select(u". ");
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdDel()->click();
  const std::vector<AskedBox> seen = asked();
  ASSERT_EQ(seen.size(), 4u);
  for (const AskedBox& box : seen) {
    ExpectMessage(box, u"指定したファイルまたはディレクトリを削除します。", Icon::Question,
                  Buttons::YesNo);
  }
  EXPECT_TRUE(boxes.scriptFollowed());

  // Not empty: the server refuses, and the list is rebuilt all the same.
  select(u"D full");
  testsupport::WriteFile(served("new.txt"), "n");
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdDel()->click();
  ASSERT_EQ(asked().size(), 6u);
  EXPECT_EQ(asked()[5].icon, Icon::Critical);
  EXPECT_TRUE(fs::exists(served("full")));
  EXPECT_TRUE(listed(u"F new.txt"));
}

TEST_F(Commands, DownloadAsksFolderAndOverwriteAndReplacesOnlyWhenAllowed) {
  testsupport::WriteFile(served("a.bin"), std::string("\0\r\nbinary", 9));
  testsupport::WriteFile(local.file("a.bin"), "local");
  connected();
  select(u"F a.bin");
  boxes.answerInput(U16(local.path()));
  boxes.answerMessage(BoxAnswer::No);
  boxes.answerMessage(BoxAnswer::Ok);
  window().cmdGet()->click();
  EXPECT_EQ(testsupport::ReadFile(local.file("a.bin")), "local");
  EXPECT_FALSE(serverGot("RETR"));  // refused before anything is transferred
  ASSERT_EQ(asked().size(), 3u);
  ExpectInput(asked()[0], u"保存先フォルダを指定してください。", u"保存先指定");
  ExpectMessage(asked()[1], u"既に同名のファイルがある場合に上書きしますか？", Icon::Question,
                Buttons::YesNo);
  EXPECT_EQ(asked()[2].icon, Icon::Critical);  // the file exists

  select(u"F a.bin");
  boxes.answerInput(U16(local.path()));
  boxes.answerMessage(BoxAnswer::Yes);
  window().cmdGet()->click();
  EXPECT_EQ(testsupport::ReadFile(local.file("a.bin")), testsupport::ReadFile(served("a.bin")));
  EXPECT_EQ(asked().size(), 5u);
  EXPECT_TRUE(boxes.scriptFollowed());
}

TEST_F(Commands, CancelledDownloadFolderAsksNothingMore) {
  testsupport::WriteFile(served("a.txt"), "a");
  connected();
  select(u"F a.txt");
  boxes.answerInput(u"");
  window().cmdGet()->click();
  EXPECT_EQ(asked().size(), 1u);
  select(u". ");  // not an entry: nothing asked
  window().cmdGet()->click();
  EXPECT_EQ(asked().size(), 1u);
  EXPECT_FALSE(serverGot("RETR"));
}

TEST(CommandsOnAListing, DownloadOfNamesLeavingTheFolderIsRefusedBeforeAnythingIsAsked) {
  // Names a real server would hardly list, from the recording fake.
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("../../up.txt"),
                  testsupport::MakeFindData("..", inet::kFileAttributeDirectory),
                  testsupport::MakeFindData("/etc/abs"), testsupport::MakeFindData("..\\evil.txt")};
  dialogs::ScriptedDialogs boxes;
  testsupport::TempDir local;
  fFTPTest w(boxes, {U16(local.path()), FixedClock, &fake});
  w.cmdOpen()->click();
  ASSERT_EQ(w.lstFiles()->count(), 5);
  const std::u16string names[] = {u"../../up.txt", u"..", u"/etc/abs", u"..\\evil.txt"};
  for (int row = 1; row <= 4; ++row) {
    w.lstFiles()->setCurrentRow(row);
    w.cmdGet()->click();
    ASSERT_EQ(boxes.asked().size(), static_cast<size_t>(row + 1));  // after the connect box
    ExpectMessage(boxes.asked().back(), UnsafeDownloadNameMessage(names[row - 1]),
                  Icon::Exclamation);
  }
  EXPECT_EQ(fake.last("FtpGetFileA"), nullptr);
  EXPECT_TRUE(fs::is_empty(local.path()));
}

TEST_F(Commands, UploadAsksBothNamesAndSendsTheFile) {
  testsupport::WriteFile(local.file("up.bin"), "upload me");
  connected();
  boxes.answerInput(u"");
  boxes.answerInput(u"ignored");
  window().cmdPut()->click();
  EXPECT_FALSE(serverGot("STOR"));
  boxes.answerInput(U16(local.file("up.bin")));
  boxes.answerInput(u"stored.bin");
  window().cmdPut()->click();
  EXPECT_EQ(testsupport::ReadFile(served("stored.bin")), "upload me");
  EXPECT_TRUE(listed(u"F stored.bin\t9\t"));
  const std::vector<AskedBox> seen = asked();
  ASSERT_EQ(seen.size(), 4u);
  ExpectInput(seen[0], u"転送したいファイルをフルパスで入力してください。",
              u"転送元ファイル名の指定");
  ExpectInput(seen[1], u"転送先に保存する場合のファイル名を入力してください。",
              u"転送先ファイル名の指定");
}

TEST_F(Commands, RenameOffersTheCurrentNameAndRebuildsEvenWhenCancelled) {
  testsupport::WriteFile(served("old name.txt"), "o");
  connected();
  select(u"F old name.txt");
  testsupport::WriteFile(served("later.txt"), "l");
  boxes.answerInput(u"");
  window().cmdRename()->click();
  EXPECT_TRUE(fs::exists(served("old name.txt")));
  EXPECT_TRUE(listed(u"F later.txt"));  // rebuilt

  select(u"F old name.txt");
  boxes.answerInput(u"new name.txt");
  window().cmdRename()->click();
  EXPECT_TRUE(fs::exists(served("new name.txt")));
  EXPECT_TRUE(listed(u"F new name.txt"));
  const std::vector<AskedBox> seen = asked();
  ASSERT_EQ(seen.size(), 2u);
  ExpectInput(seen[1], u"新しいファイル名を入力してください。", u"ファイル名の変更",
              u"old name.txt");
}

TEST_F(Commands, MakeDirUsesTheReversedBoxAndCreatesTheDirectory) {
  connected();
  boxes.answerInput(u"");
  window().cmdMakeDir()->click();
  EXPECT_FALSE(serverGot("MKD"));
  boxes.answerInput(u"新しい dir");
  window().cmdMakeDir()->click();
  EXPECT_TRUE(fs::is_directory(served("新しい dir")));
  EXPECT_TRUE(listed(u"D 新しい dir\t \t"));
  ASSERT_EQ(asked().size(), 2u);
  ExpectInput(asked()[0], u"ディレクトリの作成", u"新規作成するディレクトリ名を入力してください。");
}

TEST_F(Commands, DoubleClickMovesDownByNameAndUpByParentLine) {
  fs::create_directories(served("my dir/sub"));
  testsupport::WriteFile(served("top.txt"), "t");
  connected();
  select(u"F top.txt");
  testsupport::WriteFile(served("later.txt"), "l");
  window().lstFiles_DblClick();  // a file line: nothing, not even a refresh
  EXPECT_FALSE(listed(u"F later.txt"));
  select(u". ");
  window().lstFiles_DblClick();
  EXPECT_FALSE(listed(u"F later.txt"));

  select(u"D my dir");
  window().lstFiles_DblClick();
  EXPECT_EQ(window().clsFtp()->CurDir(), u"/my dir");
  EXPECT_EQ(lines().at(0), u"..");
  EXPECT_TRUE(listed(u"D sub"));
  select(u"..");
  window().lstFiles_DblClick();
  EXPECT_EQ(window().clsFtp()->CurDir(), u"/");
  EXPECT_TRUE(listed(u"F later.txt"));
  EXPECT_TRUE(serverGot("CWD ../"));
  EXPECT_TRUE(asked().empty());
}

}  // namespace
}  // namespace uploadertest
