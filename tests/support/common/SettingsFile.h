// Settings files for tests, written as the settings maker writes them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "settings/ScrambleText.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace testsupport {

// Writes folder/Quillpst.dat holding `values`, with `password` scrambled ("set") into the third
// field; `values.ScrambledPassword` is ignored.
inline void WriteSettingsFile(const std::string& folder, SettingsRecord values,
                              const std::u16string& password) {
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  EXPECT_TRUE(scrambled.ok) << "the test's password cannot be scrambled";
  values.ScrambledPassword = scrambled.text;
  const SettingsText text = MakeSettingsText(values);
  EXPECT_TRUE(text.ok) << "the test's settings cannot be written in CP932";
  WriteFile(folder + "/Quillpst.dat", text.bytes);
}

}  // namespace testsupport
