// The uploader window's handlers without a window: plain controls, the recording fake of the
// internet API (to see the exact names and flags sent) and scripted boxes.
#include "uploader/WindowCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/files/Files.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"

namespace {

using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;
using testsupport::MakeFindData;
using Texts = std::vector<std::optional<std::string>>;

class Handlers : public ::testing::Test {
 protected:
  Handlers() {
    fake.listing = {MakeFindData("sub", inet::kFileAttributeDirectory), MakeFindData("a.txt")};
    controls.server = u"ftp.example.jp";
    controls.user = u"ユーザー";
    controls.pass = u" pw ";
  }
  WindowParts window() { return {controls, clsFtp.get(), boxes}; }
  void connect() {
    boxes.answerMessage(BoxAnswer::Ok);
    cmdOpen_Click(window());
    mark = boxes.asked().size();
    calls = fake.calls.size();
  }
  // The boxes, and the names of the internet API calls, since connect().
  std::vector<dialogs::AskedBox> asked() const {
    return {boxes.asked().begin() + static_cast<long>(mark), boxes.asked().end()};
  }
  std::vector<std::string> called() const {
    std::vector<std::string> names;
    for (size_t i = calls; i < fake.calls.size(); ++i) names.push_back(fake.calls[i].function);
    return names;
  }
  int listings() const {
    const std::vector<std::string> names = called();
    return static_cast<int>(std::count(names.begin(), names.end(), "FtpFindFirstFileA"));
  }

  testsupport::FakeInternetApi fake;
  dialogs::ScriptedDialogs boxes;
  uploadertest::PlainControls controls;
  std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, &fake);
  size_t mark = 0;
  size_t calls = 0;
};

TEST_F(Handlers, ConnectSendsTheBoxesAsTypedThenConfirmsListsAndLocksOrChangesNothing) {
  fake.failNext("InternetConnectA", inet::kErrorInternetNameNotResolved);
  controls.lines = {u"kept"};
  cmdOpen_Click(window());
  ASSERT_EQ(boxes.asked().size(), 1u);  // the critical box alone
  EXPECT_EQ(boxes.asked()[0].icon, Icon::Critical);
  EXPECT_TRUE(controls.openEnabled);
  EXPECT_EQ(controls.lines, std::vector<std::u16string>{u"kept"});
  connect();
  EXPECT_EQ(fake.last("InternetConnectA")->texts.at(2), " pw ");  // untrimmed
  EXPECT_EQ(boxes.asked()[1].text, u"接続が完了しました！");
  EXPECT_EQ(boxes.asked()[1].icon, Icon::Information);
  EXPECT_EQ(controls.lines, (std::vector<std::u16string>{u". ", u"D sub\t \t1601/01/01 00:00",
                                                         u"F a.txt\t0\t1601/01/01 00:00"}));
  EXPECT_FALSE(controls.openEnabled);
  cmdClose_Click(window());
  EXPECT_EQ(clsFtp->hFTP(), 0u);
  EXPECT_TRUE(controls.openEnabled);
  EXPECT_TRUE(controls.lines.empty());
}

TEST_F(Handlers, WithoutConnectionOnlyUploadAndDisconnectRun) {
  controls.selected = u"F a.txt\t1\t2004/03/07 09:05";
  controls.lines = {controls.selected};
  for (auto handler :
       {cmdDel_Click, cmdGet_Click, cmdRename_Click, cmdMakeDir_Click, lstFiles_DblClick}) {
    handler(window());
  }
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(controls.lines.size(), 1u);
  // Both questions come, the second after the first was cancelled; an empty path stops there.
  boxes.answerInput(u"");
  boxes.answerInput(u"remote");
  cmdPut_Click(window());
  EXPECT_EQ(boxes.asked().size(), 2u);
  EXPECT_TRUE(boxes.scriptFollowed());
  EXPECT_EQ(fake.last("FtpPutFileA"), nullptr);
  // A released session: nothing is called, disconnect still resets the controls.
  clsFtp.reset();
  cmdOpen_Click(window());
  cmdClose_Click(window());
  EXPECT_TRUE(controls.lines.empty());
  EXPECT_EQ(fake.last("InternetConnectA"), nullptr);
}

TEST_F(Handlers, DeleteAsksFirstThenActsOnTheTagAndRebuildsEvenAfterARefusal) {
  connect();
  controls.selected = u"F a.txt\t1\t2004/03/07 09:05";
  boxes.answerMessage(BoxAnswer::No);
  cmdDel_Click(window());
  EXPECT_TRUE(called().empty());

  boxes.answerMessage(BoxAnswer::Yes);
  fake.failNext("FtpDeleteFileA", inet::kErrorInternetExtendedError);
  cmdDel_Click(window());
  ASSERT_NE(fake.last("FtpDeleteFileA"), nullptr);
  EXPECT_EQ(fake.last("FtpDeleteFileA")->texts[0], "a.txt");
  EXPECT_EQ(listings(), 1);

  controls.selected = u"D my dir\t \t2004/03/07 09:05";
  boxes.answerMessage(BoxAnswer::Yes);
  cmdDel_Click(window());
  EXPECT_EQ(fake.last("FtpRemoveDirectoryA")->texts[0], "my dir");
  EXPECT_EQ(listings(), 2);

  controls.selected = u". ";
  boxes.answerMessage(BoxAnswer::Yes);
  cmdDel_Click(window());
  EXPECT_EQ(listings(), 2);
  const std::vector<dialogs::AskedBox> seen = asked();
  ASSERT_EQ(seen.size(), 5u);  // four questions and the refusal's critical box
  EXPECT_EQ(seen[0].text, u"指定したファイルまたはディレクトリを削除します。");
  EXPECT_EQ(seen[0].buttons, Buttons::YesNo);
  EXPECT_EQ(seen[2].icon, Icon::Critical);
}

TEST_F(Handlers, DownloadJoinsFolderAndNameOnceAndPassesTheOverwriteAnswer) {
  connect();
  const std::u16string sep = files::PathSeparator();
  controls.selected = u"F a.txt\t1\t2004/03/07 09:05";
  for (const auto& [answer, failIfExists] : {std::pair{BoxAnswer::No, 1}, {BoxAnswer::Yes, 0}}) {
    boxes.answerInput(u"dl");
    boxes.answerMessage(answer);
    cmdGet_Click(window());
    ASSERT_NE(fake.last("FtpGetFileA"), nullptr);
    EXPECT_EQ(fake.last("FtpGetFileA")->texts,
              (Texts{"a.txt", files::ToFileSystemPath(u"dl" + sep + u"a.txt")}));
    EXPECT_EQ(fake.last("FtpGetFileA")->values.at(0), failIfExists);
  }
  EXPECT_EQ(listings(), 2);

  // Cancelled folder: nothing more is asked or fetched.
  const size_t gets = called().size();
  boxes.answerInput(u"");
  cmdGet_Click(window());
  EXPECT_EQ(called().size(), gets);
  EXPECT_EQ(asked().size(), 5u);

  // A listed name that would leave the folder is refused before anything is asked.
  controls.selected = u"F ..\t1\t2004/03/07 09:05";
  boxes.answerMessage(BoxAnswer::Ok);
  cmdGet_Click(window());
  ASSERT_EQ(asked().size(), 6u);
  EXPECT_EQ(asked()[5].icon, Icon::Exclamation);
  EXPECT_TRUE(boxes.scriptFollowed());
}

TEST_F(Handlers, RenameAndMakeDirSendWhatWasTypedAndRebuildAsTheySay) {
  connect();
  controls.selected = u"D pub\t \t2004/03/07 09:05";
  boxes.answerInput(u"");
  cmdRename_Click(window());
  EXPECT_EQ(asked().at(0).preset, u"pub");
  EXPECT_EQ(fake.last("FtpRenameFileA"), nullptr);
  EXPECT_EQ(listings(), 1);  // rebuilt also when cancelled
  boxes.answerInput(u"新しい名前");
  cmdRename_Click(window());
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts[1], "\x90\x56\x82\xB5\x82\xA2\x96\xBC\x91\x4F");

  boxes.answerInput(u"");
  cmdMakeDir_Click(window());
  EXPECT_EQ(listings(), 2);
  boxes.answerInput(u"new dir");
  cmdMakeDir_Click(window());
  EXPECT_EQ(fake.last("FtpCreateDirectoryA")->texts[0], "new dir");
  EXPECT_EQ(listings(), 3);
  EXPECT_EQ(asked().at(2).text, u"ディレクトリの作成");
  EXPECT_EQ(asked().at(2).title, u"新規作成するディレクトリ名を入力してください。");
}

TEST_F(Handlers, DoubleClickGoesUpOrIntoADirectoryAndIgnoresOtherLines) {
  connect();
  controls.selected = u"..";
  lstFiles_DblClick(window());
  EXPECT_EQ(fake.last("FtpSetCurrentDirectoryA")->texts[0], "../");
  controls.selected = u"D my dir\t \t2004/03/07 09:05";
  lstFiles_DblClick(window());
  EXPECT_EQ(fake.last("FtpSetCurrentDirectoryA")->texts[0], "my dir");
  EXPECT_EQ(listings(), 2);
  for (const char16_t* line : {u"F a.txt\t1\t2004/03/07 09:05", u". ", u""}) {
    controls.selected = line;
    lstFiles_DblClick(window());
  }
  EXPECT_EQ(listings(), 2);
}

}  // namespace
