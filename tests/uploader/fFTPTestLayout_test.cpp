// The window's controls: places, captions, initial states, tab order, the list's font and tab
// stops; the error box of FTPFrr; releasing the session when the window closes.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/TabStops.h"
#include "uploader/fFTPTest.h"

namespace uploadertest {
namespace {

struct Expected {
  QWidget* widget;
  const char16_t* caption;
  int left, top, width, height;  // twips
};

QString captionOf(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  return {};
}

TEST(fFTPTestLayout, ControlsStandAtTheirPlacesWithTheirCaptions) {
  dialogs::ScriptedDialogs boxes;
  fFTPTest w(boxes);
  EXPECT_EQ(w.windowTitle(), "Quillpost");
  EXPECT_EQ(w.size(), QSize(423, 303));
  EXPECT_FALSE(w.windowIcon().isNull());
  const Expected controls[] = {
      {w.Label1(0), u"サーバー", 240, 285, 720, 180},
      {w.txtServer(), u"", 1200, 240, 3855, 270},
      {w.chkPassive(), u"Passive", 5160, 240, 975, 270},
      {w.Label1(1), u"ユーザー", 240, 645, 720, 180},
      {w.txtUser(), u"", 1200, 600, 2535, 270},
      {w.Label1(2), u"パスワード", 240, 1005, 810, 180},
      {w.txtPass(), u"", 1200, 960, 2535, 270},
      {w.cmdOpen(), u"接続", 3840, 600, 1095, 615},
      {w.cmdClose(), u"切断", 5040, 600, 1095, 615},
      {w.lstFiles(), u"", 240, 1440, 5895, 2400},
      {w.cmdDel(), u"削除", 240, 3960, 1095, 615},
      {w.cmdRename(), u"リネーム", 1440, 3960, 1095, 615},
      {w.cmdPut(), u"送信", 2640, 3960, 1095, 615},
      {w.cmdGet(), u"受信", 3840, 3960, 1095, 615},
      {w.cmdMakeDir(), u"ディレクトリ作成", 5040, 3960, 1095, 615},
      {w.Picture1(), u"", 0, 0, 6420, 4740},
  };
  for (const Expected& c : controls) {
    SCOPED_TRACE(
        (c.widget->metaObject()->className() + QString(" ") + captionOf(c.widget)).toStdString());
    EXPECT_EQ(c.widget->parentWidget(), &w);
    EXPECT_EQ(c.widget->geometry(), QRect(c.left / 15, c.top / 15, c.width / 15, c.height / 15));
    EXPECT_EQ(captionOf(c.widget), QString::fromStdU16String(c.caption));
    // Labels and the check box show their whole caption (the buttons wrap theirs).
    if (qobject_cast<QLabel*>(c.widget) || qobject_cast<QCheckBox*>(c.widget)) {
      EXPECT_LE(c.widget->sizeHint().width(), c.widget->width());
      EXPECT_LE(c.widget->sizeHint().height(), c.widget->height());
    }
  }
  EXPECT_TRUE(w.chkPassive()->isChecked());
  EXPECT_EQ(w.txtPass()->echoMode(), QLineEdit::Normal);
  EXPECT_TRUE(w.cmdOpen()->isEnabled());
  EXPECT_EQ(w.lstFiles()->count(), 0);
  EXPECT_FALSE(w.lstFiles()->isSortingEnabled());
  // Picture1 lies behind every other control.
  EXPECT_EQ(w.children().indexOf(w.Picture1()), 0);
}

TEST(fFTPTestLayout, TabOrderFollowsTheTable) {
  dialogs::ScriptedDialogs boxes;
  fFTPTest w(boxes);
  const QWidget* order[] = {w.txtServer(), w.chkPassive(), w.txtUser(),  w.txtPass(),
                            w.cmdOpen(),   w.cmdClose(),   w.lstFiles(), w.cmdDel(),
                            w.cmdRename(), w.cmdPut(),     w.cmdGet(),   w.cmdMakeDir()};
  // The chain also holds the list's inner widgets; only the controls' order matters.
  const std::vector<const QWidget*> controls(std::begin(order), std::end(order));
  std::vector<const QWidget*> chain;
  const QWidget* widget = order[0];
  do {
    if (std::find(controls.begin(), controls.end(), widget) != controls.end()) {
      chain.push_back(widget);
    }
    widget = widget->nextInFocusChain();
  } while (widget != order[0] && chain.size() <= controls.size());
  EXPECT_EQ(chain, controls);
}

TEST(fFTPTestLayout, ListUsesTheGothicFontAndItsColumnsStartAtTheTabStopsSetByLoad) {
  dialogs::ScriptedDialogs boxes;
  testsupport::TempDir empty;
  fFTPTest w(boxes, {U16(empty.path()), FixedClock});
  const QFont font = w.lstFiles()->font();
  EXPECT_EQ(font.family(), QString::fromStdU16String(u"ＭＳ ゴシック"));
  EXPECT_DOUBLE_EQ(font.pointSizeF(), 9.75);
  EXPECT_EQ(QFontInfo(font).family(), "IPAGothic");
  EXPECT_TRUE(w.lstFilesTabStops()->tabStops().empty());
  EXPECT_EQ(w.Form_Load(), ExitStatus::SettingsProblem);  // no settings file here
  EXPECT_EQ(w.lstFilesTabStops()->tabStops(), (std::vector<int>{100, 100, 100}));

  const QFontMetrics metrics(font);
  const int average = TabStopDelegate::averageCharWidth(metrics);
  ASSERT_GT(average, 0);
  const std::vector<int> shortName =
      w.lstFilesTabStops()->segmentStarts("F a.txt\t1,234\t2004/03/07 09:05", metrics);
  ASSERT_EQ(shortName.size(), 3u);
  EXPECT_EQ(shortName[1], DialogUnitsToPixels(100, average));
  EXPECT_GT(shortName[2], shortName[1] + metrics.horizontalAdvance("1,234"));
  // A name longer than the first column never runs into the size.
  const QString longName = "F " + QString(40, 'x');
  const std::vector<int> longStarts =
      w.lstFilesTabStops()->segmentStarts(longName + "\t1\t2004/03/07 09:05", metrics);
  EXPECT_GT(longStarts[1], metrics.horizontalAdvance(longName));
}

TEST(fFTPTestLayout, ClosingReleasesTheSessionSearchConnectionThenRoot) {
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("a")};
  dialogs::ScriptedDialogs boxes;
  fFTPTest w(boxes, {u"", FixedClock, &fake});
  McWinFTP& ftp = *w.clsFtp();
  const inet::Handle root = ftp.hInternet();
  ftp.OpenSession();
  const inet::Handle connection = ftp.hFTP();
  ftp.FindFile(u"*.*");
  const inet::Handle search = fake.lastHandleGiven();
  w.close();
  EXPECT_EQ(w.clsFtp(), nullptr);
  EXPECT_EQ(fake.closedHandles(), (std::vector<inet::Handle>{search, connection, root}));
  EXPECT_TRUE(boxes.asked().empty());
}

}  // namespace
}  // namespace uploadertest
