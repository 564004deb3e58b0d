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

TEST(ListLine, EntriesShowTagNameSizeAndDateAndOnlyFileTypeSixteenIsADirectory) {
  EXPECT_EQ(EntryLine(entry(u"a b.txt", 1234, 0)), u"F a b.txt\t1,234\t2004/03/07 09:05");
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

TEST(DisplayFormats, SizesAreGroupedByThreesAndDatesShowTheirFieldsAsTheListAndMessagesDo) {
  EXPECT_EQ(FormatFileSize(999), u"999");
  EXPECT_EQ(FormatFileSize(1000), u"1,000");
  EXPECT_EQ(FormatFileSize(1234.6), u"1,235");
  EXPECT_EQ(FormatFileSize(18446744073709551615.0), u"18,446,744,073,709,551,616");
  EXPECT_EQ(FormatListDate({2004, 3, 7, 9, 5, 59}), u"2004/03/07 09:05");
  EXPECT_EQ(FormatListDate({}), u"1899/12/30 00:00");
  // The general form drops only a midnight time, and pads no hour.
  EXPECT_EQ(FormatGeneralDateTime({2026, 1, 2, 23, 0, 0}), u"2026/01/02 23:00:00");
  EXPECT_EQ(FormatGeneralDateTime({2010, 1, 1, 0, 0, 1}), u"2010/01/01 0:00:01");
}

}  // namespace
