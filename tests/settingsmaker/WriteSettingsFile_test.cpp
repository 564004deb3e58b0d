// The settings file writer: the format's bytes in a file only its owner reads, and a refusal
// that names the box the value came from.
#include "settingsmaker/WriteSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace {

TEST(WriteSettingsFile, WritesTheFormatsBytesForItsOwnerOnlyOrNamesTheBoxItRefuses) {
  testsupport::TempDir dir;
  const std::u16string folder = files::FromFileSystemPath(dir.path());
  SettingsRecord record{u"ftp.example.jp", u"山田", u"\"#!,", u"", u"/home/日本.txt", u"x"};
  ASSERT_TRUE(WriteSettingsFileIn(folder, record).ok);
  const std::string written = testsupport::ReadFile(dir.file("Quillpst.dat"));
  EXPECT_EQ(written, MakeSettingsText(record).bytes);
  struct stat st {};
  ASSERT_EQ(::stat(dir.file("Quillpst.dat").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  record.LocalFilePath = u"/home/caf\u00E9.txt";
  const WriteResult r = WriteSettingsFileIn(folder, record);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason,
            u"「ローカルファイルパス」に Quillpst.dat に書き込めない文字があります (10 文字目)。");
  EXPECT_EQ(testsupport::ReadFile(dir.file("Quillpst.dat")), written);
}

}  // namespace
