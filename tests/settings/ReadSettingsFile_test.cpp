// The settings reader: the file access around the settings format.
#include "settings/ReadSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"
#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;

namespace {

const SettingsRecord kRecord{u"ftp.example.jp", u"user",       u"a\"b\x11,c", u"",
                             u"/home/日本.txt", u"NowDateMode"};

std::string fileBytes() { return MakeSettingsText(kRecord).bytes; }

void expectWriterRecord(const ReadSettingsResult& r) {
  ASSERT_EQ(r.status, ReadStatus::Read);
  for (std::u16string SettingsRecord::*field : kSettingsFields) {
    EXPECT_EQ(r.record.*field, kRecord.*field);
  }
}

}  // namespace

namespace {

class ReadSettingsFileTest : public ::testing::Test {
 protected:
  std::u16string folder() const { return files::FromFileSystemPath(m_dir.path()); }
  void writeFile(const std::string& bytes) const {
    testsupport::WriteFile(m_dir.file("Quillpst.dat"), bytes);
  }

  testsupport::TempDir m_dir;
  fs::path m_root{m_dir.path()};
};

}  // namespace

TEST_F(ReadSettingsFileTest, ReadsTheFileInTheFolderNamedInJapanese) {
  fs::create_directory(m_root / fs::u8path("設定"));
  testsupport::WriteFile((m_root / fs::u8path("設定") / "Quillpst.dat").string(), fileBytes());
  expectWriterRecord(ReadSettingsFile(folder() + u"/設定"));
}

TEST_F(ReadSettingsFileTest, MissingFileOrFolderIsNotFoundAndAShortFileEndsEarly) {
  EXPECT_EQ(ReadSettingsFile(folder()).status, ReadStatus::NotFound);
  EXPECT_EQ(ReadSettingsFile(folder() + u"/nowhere").status, ReadStatus::NotFound);
  writeFile("\"a\",\"b\"\r\n");
  EXPECT_EQ(ReadSettingsFile(folder()).status, ReadStatus::EndedEarly);
}

TEST_F(ReadSettingsFileTest, DirectoryOrFifoUnderTheNameIsUnreadable) {
  fs::create_directory(m_root / "Quillpst.dat");
  ReadSettingsResult r = ReadSettingsFile(folder());
  EXPECT_EQ(r.status, ReadStatus::Unreadable);
  EXPECT_FALSE(r.detail.empty());
  fs::remove(m_root / "Quillpst.dat");
  ASSERT_EQ(::mkfifo((m_root / "Quillpst.dat").c_str(), 0600), 0);
  r = ReadSettingsFile(folder());  // must not wait for a writer
  EXPECT_EQ(r.status, ReadStatus::Unreadable);
  EXPECT_FALSE(r.detail.empty());
}

TEST_F(ReadSettingsFileTest, HugeFileIsUnreadableUnlessItsSixFieldsComeFirst) {
  writeFile("\"" + std::string(kSettingsFileReadLimit + 10, 'x'));
  const ReadSettingsResult r = ReadSettingsFile(folder());
  EXPECT_EQ(r.status, ReadStatus::Unreadable);
  EXPECT_FALSE(r.detail.empty());
  writeFile(fileBytes() + std::string(kSettingsFileReadLimit + 10, 'x'));
  expectWriterRecord(ReadSettingsFile(folder()));
}
