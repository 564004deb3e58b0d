// The settings file writer: the format's bytes in a file only its owner reads, and refusals
// that name the field. Failures of the file system are the editor's tests.
#include "settingsmaker/WriteSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace {

const SettingsRecord kRecord{u"ftp.example.jp",      u"山田",       u"\"#!,", u"",
                             u"/home/日本/報告.txt", u"NowDateMode"};

class WriteSettingsFileTest : public ::testing::Test {
 protected:
  std::u16string folder() const { return files::FromFileSystemPath(m_dir.path()); }
  std::string target() const { return m_dir.file("Quillpst.dat"); }

  testsupport::TempDir m_dir;
};

}  // namespace

TEST_F(WriteSettingsFileTest, WritesTheFormatsBytesForItsOwnerOnly) {
  ASSERT_TRUE(WriteSettingsFileIn(folder(), kRecord).ok);
  EXPECT_EQ(testsupport::ReadFile(target()), MakeSettingsText(kRecord).bytes);
  struct stat st {};
  ASSERT_EQ(::stat(target().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(WriteSettingsFileTest, ValueNotWritableInCp932IsRefusedNamingTheField) {
  testsupport::WriteFile(target(), "old");
  SettingsRecord record = kRecord;
  record.LocalFilePath = u"/home/caf\u00E9.txt";
  WriteResult r = WriteSettingsFileIn(folder(), record);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.reason,
            u"「ローカルファイルパス」に Quillpst.dat に書き込めない文字があります (10 文字目)。");
  record = kRecord;
  record.ServerName = u"\u00A5";  // would be written as a backslash
  r = WriteSettingsFileIn(folder(), record);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.reason.find(u"サーバー名"), std::u16string::npos);
  EXPECT_EQ(testsupport::ReadFile(target()), "old");
}
