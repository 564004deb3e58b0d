// Helpers for the uploader's tests: text conversions, settings files as the settings maker
// writes them, a fixed clock, and the window's controls as plain values.
#pragma once

#include <string>
#include <vector>

#include "platform/files/Files.h"
#include "tests/support/common/SettingsFile.h"
#include "uploader/Clock.h"
#include "uploader/WindowControls.h"

namespace uploadertest {

using testsupport::WriteSettingsFile;

// UTF-8 to UTF-16.
inline std::u16string U16(const std::string& utf8) { return files::FromFileSystemPath(utf8); }

// 2026-12-07 09:05:03, the time the tests' clock always tells.
inline constexpr DateTime kFixedTime{2026, 12, 7, 9, 5, 3};
inline DateTime FixedClock() { return kFixedTime; }

// The window's controls as plain values.
class PlainControls : public WindowControls {
 public:
  std::u16string serverText() const override { return server; }
  std::u16string userText() const override { return user; }
  std::u16string passText() const override { return pass; }
  void setServerText(const std::u16string& text) override { server = text; }
  void setUserText(const std::u16string& text) override { user = text; }
  void setPassText(const std::u16string& text) override { pass = text; }
  bool passiveChecked() const override { return passive; }
  void setOpenEnabled(bool enabled) override { openEnabled = enabled; }
  void clearList() override { lines.clear(); }
  void addListLine(const std::u16string& line) override { lines.push_back(line); }
  std::u16string selectedLine() const override { return selected; }

  std::u16string server, user, pass;
  bool passive = true;
  bool openEnabled = true;
  std::vector<std::u16string> lines;
  std::u16string selected;
};

}  // namespace uploadertest
