// A uploader window in-process with scripted boxes, next to a real pyftpdlib server on
// loopback, and a temporary folder for the settings file and local files.
#pragma once

#include <gtest/gtest.h>

#include <QEvent>
#include <QObject>

#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"
#include "uploader/fFTPTest.h"

namespace uploadertest {

// Counts the Show events a widget receives.
class ShowCounter : public QObject {
 public:
  int shows = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) ++shows;
    return QObject::eventFilter(watched, event);
  }
};

class WindowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The window, made on first use: settings read from local, the fixed clock.
  fFTPTest& window();
  // Types the server, the test user and the password and clicks cmdOpen; expects the success
  // box and takes it off the record.
  void connectWindow(bool passive = true);
  // The lines of lstFiles.
  std::vector<std::u16string> lines();
  // Selects the first line that begins with `prefix`; fails the test when there is none.
  void select(const std::u16string& prefix);
  // Whether the server received a command beginning with `prefix`.
  bool serverGot(const std::string& prefix) const;
  std::string served(const std::string& name) const { return server->root() + "/" + name; }

  std::unique_ptr<testsupport::FtpServer> server;
  testsupport::TempDir local;
  dialogs::ScriptedDialogs boxes;
  ShowCounter showCounter;
  std::unique_ptr<fFTPTest> form;
};

// Expects `box` to be the message box with this text, icon, buttons and "Quillpost".
void ExpectMessage(const dialogs::AskedBox& box, const std::u16string& text, dialogs::Icon icon,
                   dialogs::Buttons buttons = dialogs::Buttons::Ok);
// Expects `box` to be the input box with this prompt, title and preset.
void ExpectInput(const dialogs::AskedBox& box, const std::u16string& prompt,
                 const std::u16string& title, const std::u16string& preset = u"");

}  // namespace uploadertest
