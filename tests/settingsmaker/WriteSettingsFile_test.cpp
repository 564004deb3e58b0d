// The settings file writer: the exact bytes, the round trip through the reader, refusals and
// the atomic replacement of the file.
#include "settingsmaker/WriteSettingsFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settings/ScrambleText.h"
#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;

namespace {

SettingsRecord sampleRecord(std::u16string scrambledPassword) {
  return SettingsRecord{u"ftp.example.jp",      u"山田",       std::move(scrambledPassword), u"",
                        u"/home/日本/報告.txt", u"NowDateMode"};
}

class WriteSettingsFileTest : public ::testing::Test {
 protected:
  std::u16string folder() const { return files::FromFileSystemPath(m_dir.path()); }
  std::string target() const { return m_dir.file("Quillpst.dat"); }
  // Names in the folder, to see that no temporary file is left behind.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(m_dir.path())) {
      out.push_back(e.path().filename().string());
    }
    return out;
  }

  testsupport::TempDir m_dir;
};

}  // namespace

TEST_F(WriteSettingsFileTest, FileIsOnlyForItsOwner) {
  ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(u"x")).ok);
  struct stat st {};
  ASSERT_EQ(::stat(target().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(WriteSettingsFileTest, ReaderAndResetGiveThePasswordBack) {
  // Scrambled, these hold a quote, a comma, 0x11, and CR LF.
  for (std::u16string password : {u"1", u";", u" ", u"*", u"p1; *\"~", u"秘密ｶﾅ", u"\x1C\x19"}) {
    const ScrambleResult scrambled = ScrambleText(u"set", password);
    ASSERT_TRUE(scrambled.ok);
    ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(scrambled.text)).ok);
    const ReadSettingsResult read = ReadSettingsFile(folder());
    ASSERT_EQ(read.status, ReadStatus::Read);
    EXPECT_EQ(read.record.LocalFilePath, u"/home/日本/報告.txt");
    EXPECT_EQ(ScrambleText(u"reset", read.record.ScrambledPassword).text, password);
  }
}

TEST_F(WriteSettingsFileTest, ReplacesALongerOldFileCompletely) {
  testsupport::WriteFile(target(), std::string(5000, 'o'));
  ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(u"x")).ok);
  testsupport::TempDir fresh;
  ASSERT_TRUE(WriteSettingsFileIn(files::FromFileSystemPath(fresh.path()), sampleRecord(u"x")).ok);
  EXPECT_EQ(testsupport::ReadFile(target()), testsupport::ReadFile(fresh.file("Quillpst.dat")));
  EXPECT_EQ(names(), std::vector<std::string>{"Quillpst.dat"});
}

TEST_F(WriteSettingsFileTest, ValueNotWritableInCp932IsRefusedNamingTheField) {
  testsupport::WriteFile(target(), "old");
  SettingsRecord record = sampleRecord(u"x");
  record.LocalFilePath = u"/home/caf\u00E9.txt";
  WriteResult r = WriteSettingsFileIn(folder(), record);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.reason.find(u"ローカルファイルパス"), std::u16string::npos);
  EXPECT_NE(r.reason.find(u"10"), std::u16string::npos);  // the position of "é"
  record = sampleRecord(u"x");
  record.ServerName = u"\u00A5";  // would be written as a backslash
  r = WriteSettingsFileIn(folder(), record);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.reason.find(u"サーバー名"), std::u16string::npos);
  EXPECT_EQ(testsupport::ReadFile(target()), "old");
  EXPECT_EQ(names(), std::vector<std::string>{"Quillpst.dat"});
}

TEST_F(WriteSettingsFileTest, FailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  testsupport::WriteFile(target(), "old settings");
  // A file size limit makes the write itself fail, also for root.
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit small = before;
  small.rlim_cur = 16;
  const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const WriteResult r = WriteSettingsFileIn(folder(), sampleRecord(u"x"));
  ::setrlimit(RLIMIT_FSIZE, &before);
  ::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.reason.find(u"Quillpst.dat"), std::u16string::npos);
  EXPECT_EQ(testsupport::ReadFile(target()), "old settings");
  EXPECT_EQ(names(), std::vector<std::string>{"Quillpst.dat"});
}

TEST_F(WriteSettingsFileTest, TargetThatIsADirectoryOrFolderThatIsAFileFailsCleanly) {
  fs::create_directory(target());
  WriteResult r = WriteSettingsFileIn(folder(), sampleRecord(u"x"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_TRUE(fs::is_directory(target()));
  fs::remove(target());
  testsupport::WriteFile(m_dir.file("plain"), "data");
  r = WriteSettingsFileIn(folder() + u"/plain", sampleRecord(u"x"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(testsupport::ReadFile(m_dir.file("plain")), "data");
  EXPECT_EQ(names(), std::vector<std::string>{"plain"});
}
