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

TEST(Files, OnlyVisibleRegularFilesMatchAndWildcardsOnlyInTheLastComponent) {
  testsupport::TempDir dir;
  for (const char* folder : {"folder", "nodot", "hidden", "hidden/notes.txt", "a*", "ab"}) {
    fs::create_directory(dir.file(folder));
  }
  for (const char* file : {"data.bin", ".hidden", "a.txt", "report", "報告書.txt", "nodot/README",
                           "hidden/.profile.txt", "a*/y.txt", "ab/x.txt"}) {
    testsupport::WriteFile(dir.file(file), "x");
  }
  fs::create_symlink(dir.file("data.bin"), dir.file("link.bin"));
  fs::create_directory_symlink(dir.file("folder"), dir.file("dirlink"));
  const std::pair<const char16_t*, bool> cases[] = {
      {u"data.bin", true},   {u"link.bin", true},     {u".hidden", false},
      {u"folder", false},    {u"dirlink", false},     {u"missing.bin", false},
      {u"*.txt", true},      {u"?.txt", true},        {u"*.doc", false},
      {u"report.*", true},   {u"repor", false},       {u"A.TXT", false},  // ".*": none
      {u"nodot/*.*", true},  {u"nodot/*.?*", false},  {u"hidden/*.txt", false},
      {u"hidden/.*", false}, {u"nowhere/*.*", false}, {u"a*/x.txt", false},
      {u"a*/y.txt", true},   {u"報告?.txt", true},    {u"報?.txt", false}};  // "?": a character
  for (const auto& [pattern, exists] : cases) {
    EXPECT_EQ(NormalFileExists(FromFileSystemPath(dir.path()) + u"/" + pattern), exists)
        << ToFileSystemPath(pattern);
  }
  EXPECT_FALSE(NormalFileExists(u""));
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  const bool literal = NormalFileExists(u"data.bin");
  const bool pattern = NormalFileExists(u"d*.bin");
  fs::current_path(before);
  EXPECT_TRUE(literal && pattern) << "a name without a folder is looked for where we are";
}

TEST(Files, ExecutableFolderHoldsTheRunningTest) {
  const std::u16string folder = files::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), u'/');
  EXPECT_TRUE(NormalFileExists(folder + files::PathSeparator() + u"platform_files_test"));
}

TEST(Files, PathsConvertBetweenUtf16AndUtf8WithReplacementCharacters) {
  EXPECT_EQ(ToFileSystemPath(u"/tmp/日本 é\U0001F600"), "/tmp/日本 é\U0001F600");
  EXPECT_EQ(FromFileSystemPath("/tmp/日本 é\U0001F600"), u"/tmp/日本 é\U0001F600");
  EXPECT_EQ(ToFileSystemPath(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(FromFileSystemPath("a\x83\x5C"), u"a\uFFFD\\");              // a CP932 name on disk
  EXPECT_EQ(FromFileSystemPath("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong "/"
  EXPECT_EQ(FromFileSystemPath("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(FromFileSystemPath("\xE6\x97"), u"\uFFFD\uFFFD");            // cut off
  EXPECT_EQ(FromFileSystemPath("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // > U+10FFFF
}

}  // namespace
