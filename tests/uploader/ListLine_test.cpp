#include "uploader/ListLine.h"

#include <gtest/gtest.h>

#include "uploader/DisplayFormats.h"

namespace {

FTPFile entry(std::u16string name, double size, int32_t type) {
  FTPFile file;
  file.FileName = std::move(name);
  file.FileSize = size;
  file.FileDate = {2004, 3, 7, 9, 5, 41};
  file.FileType = type;
  return file;
}

// Lines of real entries are checked against a real listing (FileListLines); here, what a
// server cannot list.
TEST(ListLine, OnlyFileTypeSixteenIsADirectory) {
  EXPECT_EQ(EntryLine(entry(u"pub", 4096, 16)), u"D pub\t \t2004/03/07 09:05");
  EXPECT_EQ(LineTag(EntryLine(entry(u"ro-dir", 0, 17))), kFileTag);
  EXPECT_EQ(LineTag(EntryLine(entry(u"odd", 0, -1))), kFileTag);
}

TEST(ListLine, ParentLineDependsOnTheRootAlone) {
  EXPECT_EQ(ParentLine(u"/"), u". ");
  EXPECT_EQ(ParentLine(u"/pub"), u"..");
  EXPECT_EQ(ParentLine(u""), u"..");  // a failed read
  EXPECT_EQ(ParentLine(u"//"), u"..");
}

TEST(ListLine, NameRunsFromTheThirdCharacterToTheFirstTab) {
  const std::u16string line = EntryLine(entry(u"my dir", 0, 16));
  EXPECT_EQ(LineTag(line), kDirectoryTag);
  EXPECT_EQ(LineName(line), u"my dir");
  EXPECT_EQ(LineName(u"F a\tb\tc"), u"a");
  EXPECT_EQ(LineName(u"F no-tab"), u"no-tab");
  EXPECT_EQ(LineName(u".."), u"");
  EXPECT_EQ(LineTag(u""), u"");
  EXPECT_EQ(LineName(u""), u"");
}

TEST(DisplayFormats, SizesAreGroupedByThrees) {
  EXPECT_EQ(FormatFileSize(0), u"0");
  EXPECT_EQ(FormatFileSize(999), u"999");
  EXPECT_EQ(FormatFileSize(1000), u"1,000");
  EXPECT_EQ(FormatFileSize(123456), u"123,456");
  EXPECT_EQ(FormatFileSize(5368709120.0), u"5,368,709,120");
  EXPECT_EQ(FormatFileSize(18446744073709551615.0), u"18,446,744,073,709,551,616");
  EXPECT_EQ(FormatFileSize(1234.6), u"1,235");
  EXPECT_EQ(FormatFileSize(-1234), u"-1,234");
}

TEST(DisplayFormats, ListDateHasTwoDigitFieldsAndNoSeconds) {
  EXPECT_EQ(FormatListDate({2004, 3, 7, 9, 5, 59}), u"2004/03/07 09:05");
  EXPECT_EQ(FormatListDate({1999, 12, 31, 23, 59, 0}), u"1999/12/31 23:59");
  EXPECT_EQ(FormatListDate({}), u"1899/12/30 00:00");
}

TEST(DisplayFormats, GeneralDateDropsAMidnightTime) {
  EXPECT_EQ(FormatGeneralDateTime({2026, 12, 7, 9, 5, 3}), u"2026/12/07 9:05:03");
  EXPECT_EQ(FormatGeneralDateTime({2026, 1, 2, 23, 0, 0}), u"2026/01/02 23:00:00");
  EXPECT_EQ(FormatGeneralDateTime({2010, 1, 1, 0, 0, 0}), u"2010/01/01");
  EXPECT_EQ(FormatGeneralDateTime({2010, 1, 1, 0, 0, 1}), u"2010/01/01 0:00:01");
}

}  // namespace
