// The normal-file test and path conversions against real files in a temporary folder.
#include "platform/files/Files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;
using files::FromFileSystemPath;
using files::NormalFileExists;
using files::ToFileSystemPath;

namespace {

class FilesTest : public ::testing::Test {
 protected:
  void touch(const std::string& relative) { testsupport::WriteFile(m_dir.file(relative), "x"); }
  // The UTF-16 path of `relative` under the temporary folder.
  std::u16string at(const std::u16string& relative) const {
    return FromFileSystemPath(m_dir.path()) + u"/" + relative;
  }

  testsupport::TempDir m_dir;
  fs::path m_root{m_dir.path()};
};

}  // namespace

TEST_F(FilesTest, LiteralPathFindsOnlyVisibleRegularFiles) {
  touch("data.bin");
  touch(".hidden");
  fs::create_directory(m_root / "folder");
  fs::create_symlink(m_root / "data.bin", m_root / "link.bin");
  fs::create_directory_symlink(m_root / "folder", m_root / "dirlink");
  EXPECT_TRUE(NormalFileExists(at(u"data.bin")));
  EXPECT_TRUE(NormalFileExists(at(u"link.bin")));
  EXPECT_FALSE(NormalFileExists(at(u".hidden")));
  EXPECT_FALSE(NormalFileExists(at(u"folder")));
  EXPECT_FALSE(NormalFileExists(at(u"dirlink")));
  EXPECT_FALSE(NormalFileExists(at(u"missing.bin")));
  EXPECT_FALSE(NormalFileExists(at(u"")));  // ends in "/"
  EXPECT_FALSE(NormalFileExists(u""));
}

TEST_F(FilesTest, WildcardsInTheLastComponentMatchNames) {
  touch("a.txt");
  touch("report");
  EXPECT_TRUE(NormalFileExists(at(u"*.txt")));
  EXPECT_TRUE(NormalFileExists(at(u"?.txt")));
  EXPECT_FALSE(NormalFileExists(at(u"??.txt")));
  EXPECT_FALSE(NormalFileExists(at(u"*.doc")));
  EXPECT_TRUE(NormalFileExists(at(u"rep*t")));
  EXPECT_TRUE(NormalFileExists(at(u"report.*")));  // ".*" also matches no extension
  EXPECT_FALSE(NormalFileExists(at(u"repor")));
  EXPECT_FALSE(NormalFileExists(at(u"A.TXT")));  // names compare case-sensitively
}

TEST_F(FilesTest, StarDotStarMatchesNamesWithoutADot) {
  touch("README");
  EXPECT_TRUE(NormalFileExists(at(u"*.*")));
  EXPECT_FALSE(NormalFileExists(at(u"*.?*")));
}

TEST_F(FilesTest, PatternsSkipHiddenFilesAndDirectories) {
  touch(".profile.txt");
  fs::create_directory(m_root / "notes.txt");
  EXPECT_FALSE(NormalFileExists(at(u"*.txt")));
  EXPECT_FALSE(NormalFileExists(at(u"*")));
  EXPECT_FALSE(NormalFileExists(at(u".*")));
}

TEST_F(FilesTest, MissingFolderMatchesNothing) {
  EXPECT_FALSE(NormalFileExists(at(u"nowhere/*.*")));
  EXPECT_FALSE(NormalFileExists(at(u"nowhere/file.txt")));
}

TEST_F(FilesTest, WildcardsInEarlierComponentsAreLiteral) {
  fs::create_directory(m_root / "a*");
  fs::create_directory(m_root / "ab");
  touch("ab/x.txt");
  touch("a*/y.txt");
  EXPECT_FALSE(NormalFileExists(at(u"a*/x.txt")));
  EXPECT_TRUE(NormalFileExists(at(u"a*/y.txt")));
  EXPECT_TRUE(NormalFileExists(at(u"a*/*.txt")));
}

TEST_F(FilesTest, PatternWithoutFolderLooksInTheWorkingDirectory) {
  touch("here.dat");
  const fs::path before = fs::current_path();
  fs::current_path(m_root);
  const bool literal = NormalFileExists(u"here.dat");
  const bool pattern = NormalFileExists(u"h*.dat");
  fs::current_path(before);
  EXPECT_TRUE(literal);
  EXPECT_TRUE(pattern);
}

TEST_F(FilesTest, JapaneseNamesMatchCharacterByCharacter) {
  touch("報告書.txt");
  EXPECT_TRUE(NormalFileExists(at(u"報告書.txt")));
  EXPECT_TRUE(NormalFileExists(at(u"報告?.txt")));  // "?" is one character, not one byte
  EXPECT_FALSE(NormalFileExists(at(u"報?.txt")));
  EXPECT_TRUE(NormalFileExists(at(u"*書.*")));
}

TEST(Files, ExecutableFolderHoldsTheRunningTest) {
  const std::u16string folder = files::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), u'/');
  EXPECT_TRUE(NormalFileExists(folder + files::PathSeparator() + u"platform_files_test"));
}

TEST(Files, PathsConvertBetweenUtf16AndUtf8) {
  EXPECT_EQ(ToFileSystemPath(u"/tmp/日本 é"), "/tmp/\xE6\x97\xA5\xE6\x9C\xAC \xC3\xA9");
  EXPECT_EQ(FromFileSystemPath("/tmp/\xE6\x97\xA5\xE6\x9C\xAC \xC3\xA9"), u"/tmp/日本 é");
  EXPECT_EQ(ToFileSystemPath(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(FromFileSystemPath("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(ToFileSystemPath(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Files, InvalidUtf8BytesBecomeReplacementCharacters) {
  EXPECT_EQ(FromFileSystemPath("a\x83\x5C"), u"a\uFFFD\\");              // a CP932 name on disk
  EXPECT_EQ(FromFileSystemPath("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong "/"
  EXPECT_EQ(FromFileSystemPath("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(FromFileSystemPath("\xE6\x97"), u"\uFFFD\uFFFD");            // cut off
  EXPECT_EQ(FromFileSystemPath("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // > U+10FFFF
}
