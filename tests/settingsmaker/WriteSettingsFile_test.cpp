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

TEST_F(WriteSettingsFileTest, WritesTheLineTwiceInCp932) {
  // "p1; *" scrambles to a, '"', ',', 0x11, 0x1B.
  const ScrambleResult password = ScrambleText(u"set", u"p1; *");
  ASSERT_TRUE(password.ok);
  ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(password.text)).ok);
  const std::string line =
      "\"ftp.example.jp\",\"\x8E\x52\x93\x63\",\"a\"\",\x11\x1B\",\"\","
      "\"/home/\x93\xFA\x96\x7B/\x95\xF1\x8D\x90.txt\",\"NowDateMode\"\r\n";
  EXPECT_EQ(testsupport::ReadFile(target()), line + line);
}

TEST_F(WriteSettingsFileTest, FileIsOnlyForItsOwner) {
  ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(u"x")).ok);
  struct stat st {};
  ASSERT_EQ(::stat(target().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(WriteSettingsFileTest, ReaderAndResetGiveThePasswordBack) {
  for (std::u16string password : {u"1", u";", u" ", u"*", u"p1; *\"~", u"秘密ｶﾅ", u"\x1C\x19"}) {
    const ScrambleResult scrambled = ScrambleText(u"set", password);
    ASSERT_TRUE(scrambled.ok);
    ASSERT_TRUE(WriteSettingsFileIn(folder(), sampleRecord(scrambled.text)).ok);
    const ReadSettingsResult read = ReadSettingsFile(folder());
    ASSERT_EQ(read.status, ReadStatus::Read);
    EXPECT_EQ(read.record.ServerName, u"ftp.example.jp");
    EXPECT_EQ(read.record.UserId, u"山田");
    EXPECT_EQ(read.record.InitialDir, u"");
    EXPECT_EQ(read.record.LocalFilePath, u"/home/日本/報告.txt");
    EXPECT_EQ(read.record.RemoteFileName, u"NowDateMode");
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

TEST_F(WriteSettingsFileTest, TargetThatIsADirectoryFailsCleanly) {
  fs::create_directory(target());
  const WriteResult r = WriteSettingsFileIn(folder(), sampleRecord(u"x"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_TRUE(fs::is_directory(target()));
  EXPECT_EQ(names(), std::vector<std::string>{"Quillpst.dat"});
}

TEST_F(WriteSettingsFileTest, FolderThatIsAFileFailsCleanly) {
  testsupport::WriteFile(m_dir.file("plain"), "data");
  const WriteResult r = WriteSettingsFileIn(folder() + u"/plain", sampleRecord(u"x"));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(testsupport::ReadFile(m_dir.file("plain")), "data");
  EXPECT_EQ(names(), std::vector<std::string>{"plain"});
}

TEST_F(WriteSettingsFileTest, WithoutFolderWritesIntoTheWorkingDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(m_dir.path());
  const WriteResult r = WriteSettingsFile(sampleRecord(u"x"));
  fs::current_path(before);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(ReadSettingsFile(folder()).status, ReadStatus::Read);
}
