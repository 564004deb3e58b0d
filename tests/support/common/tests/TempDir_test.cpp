#include "tests/support/common/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace testsupport {
namespace {

TEST(TempDir, EachFolderIsFreshAndFilesRoundTrip) {
  TempDir a, b;
  EXPECT_NE(a.path(), b.path());
  EXPECT_TRUE(fs::is_directory(a.path()));
  EXPECT_TRUE(fs::is_empty(a.path()));
  EXPECT_EQ(a.file("x.bin"), a.path() + "/x.bin");
  const std::string bytes("line\r\n\0\xff end", 12);
  WriteFile(a.file("x.bin"), bytes);
  EXPECT_EQ(ReadFile(a.file("x.bin")), bytes);
}

TEST(TempDir, DestructorRemovesTreeWithReadOnlyParts) {
  std::string path;
  {
    TempDir dir;
    path = dir.path();
    fs::create_directories(dir.file("sub/deeper"));
    WriteFile(dir.file("sub/deeper/f.txt"), "x");
    WriteFile(dir.file("top.txt"), "y");
    chmod(dir.file("sub/deeper/f.txt").c_str(), 0444);
    chmod(dir.file("sub/deeper").c_str(), 0555);
    chmod(dir.file("sub").c_str(), 0555);
    chmod(dir.file("top.txt").c_str(), 0400);
  }
  EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace testsupport
