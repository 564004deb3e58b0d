// The window with the real Qt boxes, answered through their widgets: texts, titles, buttons,
// icons and presets reach the screen. The session runs over the recording fake.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/dialogs/QtDialogs.h"
#include "tests/support/common/QtBoxes.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "uploader/fFTPTest.h"

namespace uploadertest {
namespace {

using testsupport::AnswerNextInputBox;
using testsupport::AnswerNextMessageBox;
using testsupport::SeenInputBox;
using testsupport::SeenMessageBox;

class QtBoxes : public testing::Test {
 protected:
  QtBoxes() {
    fake.listing = {testsupport::MakeFindData("a.txt")};
    form = std::make_unique<fFTPTest>(boxes, fFTPTestOptions{U16(local.path()), FixedClock, &fake});
  }
  void connect() {
    SeenMessageBox seen;
    AnswerNextMessageBox(QMessageBox::Ok, &seen);
    form->cmdOpen()->click();
    EXPECT_EQ(seen.text, QString::fromStdU16String(u"接続が完了しました！"));
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(seen.title, "Quillpost");
    ASSERT_EQ(form->lstFiles()->count(), 2);
    form->lstFiles()->setCurrentRow(1);  // "F a.txt"
  }

  testsupport::TempDir local;
  testsupport::FakeInternetApi fake;
  dialogs::QtDialogs boxes;
  std::unique_ptr<fFTPTest> form;
};

TEST_F(QtBoxes, FTPFrrIsACriticalBoxWithTheNumberOnItsOwnLine) {
  fake.failNext("InternetConnectA", inet::kErrorInternetNameNotResolved);
  SeenMessageBox seen;
  AnswerNextMessageBox(QMessageBox::Ok, &seen);
  form->cmdOpen()->click();
  ASSERT_TRUE(seen.seen);
  EXPECT_EQ(seen.text, QString::fromStdU16String(u"12007\nサーバー名を解決できませんでした。"));
  EXPECT_EQ(seen.title, "Quillpost");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST_F(QtBoxes, RenameBoxShowsItsPromptTitleAndPreset) {
  connect();
  SeenInputBox rename;
  AnswerNextInputBox(QString("b.txt"), &rename);
  form->cmdRename()->click();
  EXPECT_EQ(rename.prompt, QString::fromStdU16String(u"新しいファイル名を入力してください。"));
  EXPECT_EQ(rename.title, QString::fromStdU16String(u"ファイル名の変更"));
  EXPECT_EQ(rename.preset, "a.txt");
  ASSERT_NE(fake.last("FtpRenameFileA"), nullptr);
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts,
            (std::vector<std::optional<std::string>>{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace uploadertest
