// The Qt progress window (offscreen): its file name, bar and button, and the start-up's slow upload
// to a scripted server that reads 2 MiB a second, where the window appears after a second and
// its "キャンセル" stops the upload with the cancel's box; a small upload shows no window.
#include "uploader/fProgress.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"
#include "tests/uploader/UploaderTestSupport.h"
#include "uploader/ProgressWindow.h"
#include "uploader/StartUp.h"

namespace uploadertest {
namespace {

QString text(const QWidget& form, const char* name) {
  const QLabel* label = form.findChild<QLabel*>(QString::fromLatin1(name));
  return label == nullptr ? QStringLiteral("(none)") : label->text();
}

fProgress* shownProgressWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* form = qobject_cast<fProgress*>(widget); form != nullptr && form->isVisible()) {
      return form;
    }
  }
  return nullptr;
}

TEST(fProgressWindow, NamesTheFileMovesWithoutATotalAndTakesCancelFromTheButtonOrTheCloseBox) {
  fProgress form(u"/home/利用者/送信/大きな.bin");
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Quillpost"));
  EXPECT_EQ(text(form, "lblFile"), QStringLiteral("大きな.bin"));
  const QProgressBar* bar = form.findChild<QProgressBar*>(QStringLiteral("prgUpload"));
  ASSERT_NE(bar, nullptr);
  // No total: a bar that only moves.
  form.display(ProgressView{0, false, u"2.00 KB", u"", u""});
  EXPECT_EQ(bar->maximum(), 0);
  EXPECT_EQ(text(form, "lblLeft"), QString());

  EXPECT_FALSE(form.cancelRequested());
  QCloseEvent close;
  QApplication::sendEvent(&form, &close);
  EXPECT_TRUE(form.cancelRequested()) << "closing the window asks to stop";
  EXPECT_FALSE(close.isAccepted()) << "the window stays until the upload has stopped";

  fProgress other(u"a.bin");
  QPushButton* cancel = other.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
  cancel->click();
  EXPECT_TRUE(other.cancelRequested());
  EXPECT_FALSE(cancel->isEnabled());
}

struct Seen {
  int reports = 0;
  bool windowShown = false;
  QString sent;
};

// Boxes answered by script, noting whether a progress window was on screen at each.
class BoxesOverWindows final : public dialogs::Dialogs {
 public:
  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                                dialogs::Buttons buttons, dialogs::Icon icon) override {
    windowUnderBox.push_back(shownProgressWindow() != nullptr);
    return boxes.MessageBox(text, title, buttons, icon);
  }
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override {
    return boxes.InputBox(prompt, title, preset);
  }
  dialogs::ScriptedDialogs boxes;
  std::vector<bool> windowUnderBox;
};

// The program's window, watched: at each report it notes whether the window is on screen and
// what it says, and once it is, presses its "キャンセル" as a person would.
class PressingCancel final : public ProgressWindow {
 public:
  PressingCancel(std::unique_ptr<ProgressWindow> window, Seen& seen, bool press)
      : m_window(std::move(window)), m_seen(seen), m_press(press) {}
  void display(const ProgressView& view) override { m_window->display(view); }
  bool cancelRequested() override {
    ++m_seen.reports;
    if (fProgress* form = shownProgressWindow()) {
      m_seen.windowShown = true;
      m_seen.sent = text(*form, "lblSent");
      if (m_press) form->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    }
    return m_window->cancelRequested();
  }

 private:
  std::unique_ptr<ProgressWindow> m_window;
  Seen& m_seen;
  bool m_press;
};

class ProgressOfTheStartUp : public testing::Test {
 protected:
  ExitStatus upload(size_t bytes, bool press) {
    server = testsupport::StartScriptedFtpd("stor-slow");
    if (!server) {
      ADD_FAILURE() << testsupport::LastStartFailure();
      return ExitStatus::Done;
    }
    testsupport::WriteFile(folder.file("big.bin"), std::string(bytes, 'q'));
    WriteSettingsFile(folder.path(),
                      {U16(server->address()), U16(server->user()), u"", u"/",
                       U16(folder.file("big.bin")), u"stored.bin"},
                      U16(server->password()));
    ExitStatus status;
    {
      const std::unique_ptr<McWinFTP> clsFtp = MakeSession(shown);
      StartUpEnvironment environment{U16(folder.path()), FixedClock};
      environment.progress = WindowProgressFactory([&](const std::u16string& file) {
        ++opened;
        return std::make_unique<PressingCancel>(OpenProgressWindow(file), seen, press);
      });
      status = RunStartUp(controls, *clsFtp, shown, environment);
    }
    return status;
  }
  bool commandSeen(const std::string& command) const {
    const std::vector<std::string> commands = server->commands();
    return std::find(commands.begin(), commands.end(), command) != commands.end();
  }

  testsupport::TempDir folder;
  std::unique_ptr<testsupport::FtpServer> server;
  BoxesOverWindows shown;
  dialogs::ScriptedDialogs& boxes = shown.boxes;
  PlainControls controls;
  Seen seen;
  int opened = 0;
};

TEST_F(ProgressOfTheStartUp, ASlowUploadShowsTheWindowAndItsCancelStopsTheUpload) {
  // 32 MiB at 2 MiB a second: far longer than the second before the window.
  EXPECT_EQ(upload(32 << 20, true), ExitStatus::UploadFailed);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(seen.windowShown);
  EXPECT_TRUE(seen.sent.endsWith(QStringLiteral(" / 32.0 MB"))) << seen.sent.toStdString();
  ASSERT_FALSE(boxes.asked().empty());
  EXPECT_EQ(boxes.asked().back().text,
            u"12017\r\n転送は取り消されました。ファイルは保存されていません。");
  EXPECT_FALSE(commandSeen("RNFR .stored_bin.quillpost-upload")) << "nothing is put in place";
  EXPECT_EQ(shown.windowUnderBox, std::vector<bool>(shown.windowUnderBox.size(), false))
      << "the window closes before the cancel's box";
  EXPECT_EQ(shownProgressWindow(), nullptr) << "the window closed with the upload";
}

TEST_F(ProgressOfTheStartUp, ASmallUploadShowsNoWindow) {
  EXPECT_EQ(upload(64 << 10, false), ExitStatus::Done);
  EXPECT_EQ(opened, 0);
  EXPECT_FALSE(seen.windowShown);
  EXPECT_TRUE(commandSeen("RNTO stored.bin"));
}

}  // namespace
}  // namespace uploadertest
