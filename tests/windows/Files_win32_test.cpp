// The Win32 file services on a real (wine or Windows) file system: the attributes that make a
// file not normal, names beyond the ANSI code page through the wide API, the atomic replacement
// and the refusals the callers rely on.
#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "tests/support/common/TempDir.h"

namespace {

namespace fs = std::filesystem;

std::u16string U16(const fs::path& path) { return path.u16string(); }
std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);  // by the wide name
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
std::string Bytes(const fs::path& path) { return files::ToFileSystemPath(path.u16string()); }

void Write(const fs::path& path, const std::string& bytes, DWORD attributes = 0) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  if (attributes) SetFileAttributesW(path.c_str(), attributes);
}

TEST(FilesWin32, OnlyNormalFilesCountAndPatternsMatchAsTheSystemDoes) {
  testsupport::TempDir dir;
  const fs::path root = fs::u8path(dir.path());
  Write(root / "plain.txt", "p");
  Write(root / "hidden.dat", "h", FILE_ATTRIBUTE_HIDDEN);
  Write(root / "system.dat", "s", FILE_ATTRIBUTE_SYSTEM);
  Write(root / "readonly.csv", "r", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  Write(root / u"日報〜①.csv", "j");  // beyond code page 932's reach in part (U+301C)
  fs::create_directory(root / "folder.txt");
  EXPECT_TRUE(files::NormalFileExists(U16(root / "plain.txt")));
  EXPECT_TRUE(files::NormalFileExists(U16(root / "readonly.csv")));
  EXPECT_TRUE(files::NormalFileExists(U16(root / u"日報〜①.csv")));
  EXPECT_TRUE(files::NormalFileExists(U16(root / "*.txt")));
  EXPECT_FALSE(files::NormalFileExists(U16(root / "hidden.dat")));
  EXPECT_FALSE(files::NormalFileExists(U16(root / "*.dat")));
  EXPECT_FALSE(files::NormalFileExists(U16(root / "folder.txt")));
  EXPECT_FALSE(files::NormalFileExists(U16(root / "missing.txt")));
  EXPECT_FALSE(files::NormalFileExists(u""));
  SetFileAttributesW((root / "readonly.csv").c_str(), FILE_ATTRIBUTE_NORMAL);  // removable
}

TEST(FilesWin32, ReplacementIsWholeLeavesNoTemporaryFileAndNeverOverwritesWhenAskedNot) {
  testsupport::TempDir dir;
  const fs::path target = fs::u8path(dir.path()) / u"設定.dat";
  Write(target, "old");
  ASSERT_TRUE(
      files::ReplaceFileAtomically(Bytes(target), "new\r\n\x1a", files::FileAccess::OwnerOnly)
          .ok());
  EXPECT_EQ(Read(target), "new\r\n\x1a");  // binary, CR LF kept
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
            1);

  files::AtomicFile file;
  ASSERT_TRUE(file.create(Bytes(target), files::FileAccess::Usual).ok());
  ASSERT_TRUE(file.write("other").ok());
  EXPECT_EQ(file.commit(files::IfTargetExists::Fail).error, EEXIST);
  EXPECT_EQ(Read(target), "new\r\n\x1a");
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
            1);

  EXPECT_TRUE(files::ReplaceFileAtomically(Bytes(target.parent_path() / "no" / "such"), "x",
                                           files::FileAccess::Usual)
                  .notFound());
}

TEST(FilesWin32, ReadingRefusesFoldersAndTellsMissingFiles) {
  testsupport::TempDir dir;
  const fs::path root = fs::u8path(dir.path());
  int fd = -1;
  EXPECT_EQ(files::OpenForReading(Bytes(root), &fd).error, EACCES);
  EXPECT_EQ(fd, -1);
  EXPECT_TRUE(files::OpenForReading(Bytes(root / "missing"), &fd).notFound());
  EXPECT_FALSE(files::ReadFileStart(Bytes(root), 10).regular);
  Write(root / u"ファイル.bin", std::string("a\r\nb\0c", 6));
  const files::FileStart start = files::ReadFileStart(Bytes(root / u"ファイル.bin"), 100);
  EXPECT_TRUE(start.status.ok());
  EXPECT_EQ(start.bytes, std::string("a\r\nb\0c", 6));
}

TEST(FilesWin32, FoldersAndSeparatorsAreTheSystems) {
  EXPECT_EQ(files::PathSeparator(), u"\\");
  EXPECT_EQ(files::ParentFolder("C:\\data\\a.txt"), "C:\\data");
  EXPECT_EQ(files::ParentFolder("C:\\a.txt"), "C:\\");
  EXPECT_EQ(files::ParentFolder("\\a.txt"), "\\");
  EXPECT_EQ(files::ParentFolder("a.txt"), ".");
  EXPECT_EQ(files::ParentFolder("dir/a.txt"), "dir");
  const std::u16string folder = files::ExecutableFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), u'\\');
  EXPECT_TRUE(fs::exists(fs::path(folder) / "files_win32_test.exe"));
}

}  // namespace
