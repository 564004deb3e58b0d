#include "tests/uploader/UploaderTestSupport.h"

#include <gtest/gtest.h>

#include "platform/files/Files.h"
#include "settings/ScrambleText.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace uploadertest {

std::u16string U16(const std::string& utf8) { return files::FromFileSystemPath(utf8); }
std::string Utf8(const std::u16string& text) { return files::ToFileSystemPath(text); }

void WriteSettingsFile(const std::string& folder, SettingsRecord values,
                       const std::u16string& password) {
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  EXPECT_TRUE(scrambled.ok) << "the test's password cannot be scrambled";
  values.ScrambledPassword = scrambled.text;
  const SettingsText text = MakeSettingsText(values);
  EXPECT_TRUE(text.ok) << "the test's settings cannot be written in CP932";
  testsupport::WriteFile(folder + "/Quillpst.dat", text.bytes);
}

}  // namespace uploadertest
