// The settings reader: the field rules over bytes, and the file access around them.
#include "settings/ReadSettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/files/Files.h"
#include "tests/support/common/TempDir.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const std::string kLine =
    "\"ftp.example.jp\",\"user\",\"a\"\"b\x11,c\",\"\",\"/home/\x93\xFA\x96\x7B.txt\","
    "\"NowDateMode\"\r\n";

void expectRecord(const ReadSettingsResult& r, std::u16string_view server, std::u16string_view user,
                  std::u16string_view password, std::u16string_view dir, std::u16string_view local,
                  std::u16string_view remote) {
  ASSERT_EQ(r.status, ReadStatus::Read);
  EXPECT_EQ(r.record.ServerName, server);
  EXPECT_EQ(r.record.UserId, user);
  EXPECT_EQ(r.record.ScrambledPassword, password);
  EXPECT_EQ(r.record.InitialDir, dir);
  EXPECT_EQ(r.record.LocalFilePath, local);
  EXPECT_EQ(r.record.RemoteFileName, remote);
}

void expectWriterRecord(const ReadSettingsResult& r) {
  expectRecord(r, u"ftp.example.jp", u"user", u"a\"b\x11,c", u"", u"/home/日本.txt",
               u"NowDateMode");
}

}  // namespace

TEST(ParseSettingsText, WriterLayoutGivesTheSixValuesWhateverFollowsThem) {
  for (const std::string& text : {kLine + kLine, kLine, kLine + "\"other\",\"x\"\r\n",
                                  kLine + "\"never closed", kLine.substr(0, kLine.size() - 2)}) {
    SCOPED_TRACE(text.substr(kLine.size() - 2));
    expectWriterRecord(ParseSettingsText(text));
  }
}

TEST(ParseSettingsText, FewerThanSixFieldsOrAnUnclosedQuoteEndsEarly) {
  for (std::string text :
       {"", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n", "\"a\",\"b\",\"c\",\"d\",\"e\",",
        "\"a\",\"b\",\"c\",\"d\",\"e\",   ", "  \r\n\r\n\r\n\r\n\r\n",
        "\"a\",\"b\",\"c\",\"d\",\"e\",\"f", "\"a,b,c,d,e,f\r\n"}) {
    const ReadSettingsResult r = ParseSettingsText(text);
    EXPECT_EQ(r.status, ReadStatus::EndedEarly) << text;
    EXPECT_EQ(r.record.ServerName, u"");
  }
}

TEST(ParseSettingsText, QuotedFieldKeepsCommasBlanksAndLineEnds) {
  expectRecord(ParseSettingsText("\" a, b \",\"x\r\ny\",\"\"\"\",\"\"\"\"\"\",\"\",\"\tz\""),
               u" a, b ", u"x\r\ny", u"\"", u"\"\"", u"", u"\tz");
}

TEST(ParseSettingsText, UnquotedFieldsAreTrimmedAndEndAtCommaOrLineEnd) {
  expectRecord(ParseSettingsText("  host , user\tname ,p\"w,\r\ndir\rfile\nlast  "), u"host",
               u"user\tname", u"p\"w", u"", u"dir", u"file");
}

TEST(ParseSettingsText, BlanksBeforeAQuoteAreSkippedAndTextAfterItIgnored) {
  expectRecord(ParseSettingsText("  \"a\" ,\t\"b\"junk,\"c\" \"d\",\"e\"\r\n\"f\",\"g\"xx"), u"a",
               u"b", u"c", u"e", u"f", u"g");
}

TEST(ParseSettingsText, LineEndsSeparateFieldsAcrossLines) {
  expectRecord(ParseSettingsText("\"a\"\r\n\"b\"\n\"c\"\r\"d\",\"e\"\r\n\"f\"\r\n"), u"a", u"b",
               u"c", u"d", u"e", u"f");
}

TEST(ParseSettingsText, BytesThatAreNoCharacterDecodeWithoutLosingDelimiters) {
  // A lead byte right before the closing quote must not swallow it.
  expectRecord(ParseSettingsText("\"\x81\",\"\0\",\"\xFF\",\"\x85\x40\",e,f"s), u"・", u"\0"s,
               u"\uF8F3", u"・", u"e", u"f");
  EXPECT_EQ(ParseSettingsText("\0\xFF\x81\x80\x1A"s).status, ReadStatus::EndedEarly);
}

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
  testsupport::WriteFile((m_root / fs::u8path("設定") / "Quillpst.dat").string(), kLine + kLine);
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
  writeFile(kLine + std::string(kSettingsFileReadLimit + 10, 'x'));
  expectWriterRecord(ReadSettingsFile(folder()));
}
