// The settings editor in-process with scripted boxes: a temporary program folder, which the
// load button and the recovery dialog read, and a temporary working directory, which the write
// button writes into.
#pragma once

#include <gtest/gtest.h>

#include <QPushButton>

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialogs/ScriptedDialogs.h"
#include "settings/SettingsRecord.h"
#include "settingsmaker/Form1.h"
#include "tests/support/common/TempDir.h"

namespace settingsmakertest {

using Texts = std::array<std::u16string, 6>;

// The example values of Command3, Text1 to Text6.
inline const Texts kExample = {u"ftp.example.jp", u"zorvi",        u"tempkeyvalues",
                               u"/public_html",   u"c:\\test.txt", u"test.txt"};

class EditorFixture : public testing::Test {
 protected:
  // Makes the working directory current and shows the form (boxes from `dialogs()`).
  void SetUp() override;
  // Deletes the form (and its Form2) and restores the working directory.
  void TearDown() override;

  // The texts of Text1 to Text6, and setting them.
  Texts texts() const;
  void fill(const Texts& values);
  // A real mouse click on the button.
  static void click(QPushButton* button);
  // Double-clicks Label3 and returns the Form2 it shows.
  Form2& openForm2();

  // The file the write button makes, in the working directory.
  std::string writtenPath() const { return work.file("Quillpst.dat"); }
  bool written() const { return std::filesystem::exists(writtenPath()); }
  // Stores `record` (password given in clear, scrambled here) in the program folder.
  void storeInProgramFolder(SettingsRecord record, const std::u16string& password);
  // The texts of the boxes asked so far, in order.
  std::vector<std::u16string> asked() const;

  testsupport::TempDir program;
  testsupport::TempDir work;
  dialogs::ScriptedDialogs boxes;
  std::unique_ptr<Form1> form;

 private:
  std::filesystem::path m_oldWorkingDirectory;
};

// Deletes what deleteLater() queued (a closed Form2 deletes itself that way).
void DeleteClosedWindows();

}  // namespace settingsmakertest
