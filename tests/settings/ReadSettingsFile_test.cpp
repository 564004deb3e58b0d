// The settings reader: the file access around the settings format.
#include "settings/ReadSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace {

const SettingsRecord kRecord{u"ftp.example.jp", u"user",       u"a\"b\x11,c", u"",
                             u"/home/日本.txt", u"NowDateMode"};

class ReadSettingsFileTest : public ::testing::Test {
 protected:
  ReadSettingsResult read(const std::u16string& below = u"") const {
    return ReadSettingsFile(files::FromFileSystemPath(m_dir.path()) + below);
  }
  void expectRecord(const ReadSettingsResult& r) const {
    ASSERT_EQ(r.status, ReadStatus::Read);
    for (std::u16string SettingsRecord::*field : kSettingsFields) {
      EXPECT_EQ(r.record.*field, kRecord.*field);
    }
  }
  std::string file() const { return m_dir.file("Quillpst.dat"); }
  void expectUnreadable() const {
    const ReadSettingsResult r = read();
    EXPECT_EQ(r.status, ReadStatus::Unreadable);
    EXPECT_FALSE(r.detail.empty());
  }

  testsupport::TempDir m_dir;
  const std::string m_bytes = MakeSettingsText(kRecord).bytes;
};

TEST_F(ReadSettingsFileTest, ReadsTheFileInAFolderNamedInJapaneseOrSaysWhatIsMissing) {
  EXPECT_EQ(read().status, ReadStatus::NotFound);
  EXPECT_EQ(read(u"/nowhere").status, ReadStatus::NotFound);
  std::filesystem::create_directory(m_dir.file("設定"));
  testsupport::WriteFile(m_dir.file("設定/Quillpst.dat"), m_bytes);
  expectRecord(read(u"/設定"));
  testsupport::WriteFile(file(), "\"a\",\"b\"\r\n");
  EXPECT_EQ(read().status, ReadStatus::EndedEarly);
}

TEST_F(ReadSettingsFileTest, DirectoryFifoOrHugeFileIsUnreadableUnlessItsSixFieldsComeFirst) {
  std::filesystem::create_directory(file());
  expectUnreadable();
  std::filesystem::remove(file());
  ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
  expectUnreadable();  // without waiting for a writer
  std::filesystem::remove(file());
  testsupport::WriteFile(file(), "\"" + std::string(kSettingsFileReadLimit + 10, 'x'));
  expectUnreadable();
  testsupport::WriteFile(file(), m_bytes + std::string(kSettingsFileReadLimit + 10, 'x'));
  expectRecord(read());
}

}  // namespace
