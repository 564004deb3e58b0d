// The window fFTPTest over the recording fake: its controls wired to the handlers and to the
// start-up (whose decisions are tested without a window), the list's tab stops, and the
// session released when it closes.
#include "uploader/fFTPTest.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QWindow>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "uploader/ListLinesModel.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/TabStops.h"

namespace uploadertest {
namespace {

using dialogs::BoxAnswer;
using Texts = std::vector<std::optional<std::string>>;

class fFTPTestWindow : public testing::Test {
 protected:
  fFTPTestWindow() {
    fake.listing = {testsupport::MakeFindData("sub", inet::kFileAttributeDirectory),
                    testsupport::MakeFindData("a.txt")};
  }
  // Selects the first line of lstFiles that begins with `prefix`.
  void select(const QString& prefix) {
    ListLinesModel* lines = form.lstFilesLines();
    const QModelIndexList found =
        lines->match(lines->index(0), Qt::DisplayRole, prefix, 1, Qt::MatchStartsWith);
    ASSERT_FALSE(found.empty()) << prefix.toStdString();
    form.lstFiles()->setCurrentIndex(found[0]);
  }

  testsupport::TempDir folder;
  testsupport::FakeInternetApi fake;
  dialogs::ScriptedDialogs boxes;
  fFTPTest form{boxes, {U16(folder.path()), FixedClock, &fake}};
};

TEST_F(fFTPTestWindow, ButtonsAndDoubleClickReachTheirHandlersThroughTheControls) {
  form.txtServer()->setText("h:2121");
  form.txtUser()->setText("u");
  form.txtPass()->setText("p");
  form.chkPassive()->setChecked(false);
  boxes.answerMessage(BoxAnswer::Ok);
  form.cmdOpen()->click();
  EXPECT_EQ(fake.last("InternetConnectA")->texts, (Texts{"h:2121", "u", "p"}));
  EXPECT_EQ(fake.last("InternetConnectA")->values.at(2), 0);
  EXPECT_FALSE(form.cmdOpen()->isEnabled());
  select("F a.txt\t");
  boxes.answerInput(u"b.txt");
  form.cmdRename()->click();
  select("F a.txt\t");
  boxes.answerInput(u"dl");
  boxes.answerMessage(BoxAnswer::Yes);
  form.cmdGet()->click();
  select("F a.txt\t");
  boxes.answerMessage(BoxAnswer::Yes);
  form.cmdDel()->click();
  boxes.answerInput(u"local");
  boxes.answerInput(u"remote");
  form.cmdPut()->click();
  boxes.answerInput(u"new");
  form.cmdMakeDir()->click();
  select("D sub\t");
  emit form.lstFiles()->doubleClicked(form.lstFiles()->currentIndex());
  form.cmdClose()->click();
  // The arguments are the handlers' test's; the rename shows the selected line was read.
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts, (Texts{"a.txt", "b.txt"}));
  for (const char* function : {"FtpGetFileA", "FtpDeleteFileA", "FtpPutFileA",
                               "FtpCreateDirectoryA", "FtpSetCurrentDirectoryA"}) {
    EXPECT_NE(fake.last(function), nullptr) << function;
  }
  EXPECT_TRUE(boxes.scriptFollowed());
  EXPECT_EQ(form.clsFtp()->hFTP(), 0u);
  EXPECT_TRUE(form.cmdOpen()->isEnabled());
  EXPECT_EQ(form.lstFilesLines()->rowCount(), 0);
}

TEST_F(fFTPTestWindow, LoadRunsTheStartUpUnseenAndClosingReleasesSearchConnectionThenRoot) {
  const inet::Handle first = form.clsFtp()->hInternet();
  testsupport::WriteFile(folder.file("up.bin"), "x");
  WriteSettingsFile(folder.path(), {u"h", u"u", u"", u"/", U16(folder.file("up.bin")), u"r"}, u"p");
  fake.fileSize = 1;
  EXPECT_EQ(form.Form_Load(), ExitStatus::Done);
  EXPECT_EQ(fake.last("InternetConnectA")->values.at(2), inet::kFlagPassive);  // chkPassive
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts.at(1), "r");
  EXPECT_EQ(boxes.asked().size(), 1u);  // the completion message
  EXPECT_EQ(form.windowHandle(), nullptr) << "the window was shown";
  EXPECT_EQ(form.clsFtp(), nullptr);
  const inet::Handle root = fake.last("InternetConnectA")->handles.at(0);
  const inet::Handle connection = fake.last("FtpFindFirstFileA")->handles.at(0);
  const inet::Handle search = fake.last("InternetFindNextFileA")->handles.at(0);
  const std::vector<inet::Handle> closed = fake.closedHandles();
  ASSERT_GE(closed.size(), 4u);
  EXPECT_EQ(closed.front(), first);  // the session Form_Load replaced
  EXPECT_EQ(std::vector<inet::Handle>(closed.end() - 3, closed.end()),
            (std::vector<inet::Handle>{search, connection, root}));
  EXPECT_EQ(form.lstFilesTabStops()->tabStops(), (std::vector<int>{100, 100, 100}));
}

// Its places and captions are the layout table's: start-up closes the window before it is ever
// shown, and the screenshot script draws it.
TEST_F(fFTPTestWindow, ListColumnsStartAtTheTabStops) {
  form.lstFilesTabStops()->setTabStops({100, 100, 100});
  const QFontMetrics metrics(form.lstFiles()->font());
  const int average = TabStopDelegate::averageCharWidth(metrics);
  EXPECT_EQ(form.lstFilesTabStops()->segmentStarts("F a\t1\t2004/03/07 09:05", metrics).at(1),
            DialogUnitsToPixels(100, average));
  // A name longer than the first column never runs into the size.
  const QString longName = "F " + QString(40, 'x');
  EXPECT_GT(form.lstFilesTabStops()->segmentStarts(longName + "\t1\t1", metrics).at(1),
            metrics.horizontalAdvance(longName));
}

}  // namespace
}  // namespace uploadertest
