#include "tests/uploader/UploaderTestSupport.h"

#include <gtest/gtest.h>

#include "platform/codepage/CodePage.h"
#include "platform/files/Files.h"
#include "settings/ScrambleText.h"
#include "tests/support/common/TempDir.h"

namespace uploadertest {
namespace {

std::string quoted(const std::u16string& value) {
  std::string out = "\"";
  for (char c : codepage::ToAnsi(value)) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

}  // namespace

std::u16string U16(const std::string& utf8) { return files::FromFileSystemPath(utf8); }
std::string Utf8(const std::u16string& text) { return files::ToFileSystemPath(text); }

std::string SettingsFileBytes(const SettingsRecord& values, const std::u16string& password) {
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  EXPECT_TRUE(scrambled.ok) << "the test's password cannot be scrambled";
  const std::u16string fields[] = {values.ServerName, values.UserId,        scrambled.text,
                                   values.InitialDir, values.LocalFilePath, values.RemoteFileName};
  std::string line;
  for (const std::u16string& field : fields) line += (line.empty() ? "" : ",") + quoted(field);
  line += "\r\n";
  return line + line;
}

void WriteSettingsFile(const std::string& folder, const SettingsRecord& values,
                       const std::u16string& password) {
  testsupport::WriteFile(folder + "/Quillpst.dat", SettingsFileBytes(values, password));
}

}  // namespace uploadertest
