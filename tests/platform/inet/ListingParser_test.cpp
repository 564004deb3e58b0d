#include "platform/inet/ListingParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace inet {
namespace {

// The calendar form of an entry's time, "YYYY-MM-DD hh:mm:ss.mmm".
std::string calendar(const FileTime& time) {
  SystemTime st;
  if (!FileTimeToSystemTime(time, &st)) return "invalid";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", st.wYear, st.wMonth,
                st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  return text;
}

CivilTime now2024() {
  CivilTime now;
  now.year = 2024;
  now.month = 3;
  now.day = 10;
  now.hour = 12;
  return now;
}

// The calendar time of a LIST line's entry, or "not read".
std::string listTime(const std::string& line, const CivilTime& now = now2024()) {
  const auto entry = ParseListLine(line, now);
  return entry ? calendar(entry->lastWrite) : "not read";
}

TEST(ListingParser, MlsdLineGivesTypeSizeTimeAndNameWithSpaces) {
  const auto file =
      ParseMlsdLine("type=file;size=5368709120;modify=20040305070809.250; my file.txt");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->name, "my file.txt");
  EXPECT_EQ(file->size, 5368709120u);
  EXPECT_FALSE(file->isDirectory);
  EXPECT_EQ(calendar(file->lastWrite), "2004-03-05 07:08:09.250");
  const auto dir = ParseMlsdLine("Type=DIR;Modify=20240101000000;UNIX.mode=0755; sub");
  ASSERT_TRUE(dir);
  EXPECT_TRUE(dir->isDirectory);
  EXPECT_EQ(dir->name, "sub");
}

TEST(ListingParser, MlsdSkipsTheDirectoryItselfAndItsParent) {
  EXPECT_FALSE(ParseMlsdLine("type=cdir;modify=20240101000000; /home/x"));
  EXPECT_FALSE(ParseMlsdLine("type=pdir;modify=20240101000000; /home"));
  EXPECT_FALSE(ParseMlsdLine("type=dir; ."));
}

TEST(ListingParser, MlsdSymlinkIsAFileAndBadTimeGivesZero) {
  const auto link = ParseMlsdLine("type=OS.unix=slink:/etc;modify=2024999; etc");
  ASSERT_TRUE(link);
  EXPECT_FALSE(link->isDirectory);
  EXPECT_EQ(link->lastWrite.dwHighDateTime, 0u);
  EXPECT_EQ(link->lastWrite.dwLowDateTime, 0u);
}

TEST(ListingParser, UnixLineWithYearGivesDateAtMidnight) {
  const auto e =
      ParseListLine("-rw-r--r--    1 1000     1000     5368709120 Jan 01  2020 big.bin", now2024());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "big.bin");
  EXPECT_EQ(e->size, 5368709120u);
  EXPECT_EQ(calendar(e->lastWrite), "2020-01-01 00:00:00.000");
}

TEST(ListingParser, UnixTimeWithoutYearIsNeverPlacedInTheFuture) {
  // Earlier this year: this year; later in the calendar than now: last year; a server clock a
  // few hours ahead stays in this year.
  EXPECT_EQ(listTime("-rw-r--r-- 1 u g 10 Mar  5 09:05 a"), "2024-03-05 09:05:00.000");
  EXPECT_EQ(listTime("-rw-r--r-- 1 u g 10 Nov 20 18:00 a"), "2023-11-20 18:00:00.000");
  EXPECT_EQ(listTime("-rw-r--r-- 1 u g 10 Mar 10 20:00 a"), "2024-03-10 20:00:00.000");
  CivilTime march2025;
  march2025.year = 2025;
  march2025.month = 3;
  march2025.day = 1;
  EXPECT_EQ(listTime("-rw-r--r-- 1 u g 1 Feb 29 10:00 leap", march2025), "2024-02-29 10:00:00.000");
}

TEST(ListingParser, UnixNamesKeepSpacesAndSymlinksShowTheirLinkName) {
  auto e = ParseListLine("drwxr-xr-x  2 user group 4096 Jan  1  2020  two  spaces ", now2024());
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->isDirectory);
  EXPECT_EQ(e->name, " two  spaces ");
  e = ParseListLine("lrwxrwxrwx 1 user group 11 Feb  3 04:05 latest -> releases/v2", now2024());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "latest");
  EXPECT_FALSE(e->isDirectory);
  // A name that merely contains an arrow is kept whole when the entry is no link.
  e = ParseListLine("-rw-r--r-- 1 user group 1 Feb  3 04:05 a -> b", now2024());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "a -> b");
}

TEST(ListingParser, UnixLineWithoutGroupAndWithMonthLikeOwnerIsRead) {
  auto e = ParseListLine("-rw-r--r-- 1 owner 1234 Dec 31  1999 y2k.txt", now2024());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->size, 1234u);
  EXPECT_EQ(e->name, "y2k.txt");
  EXPECT_EQ(listTime("-rw-r--r-- 1 may jun 77 Jul  4  2001 x"), "2001-07-04 00:00:00.000");
}

TEST(ListingParser, DosLinesWithTwoAndFourDigitYearsAnd24HourTimes) {
  auto e = ParseListLine("03-07-04  09:05AM       <DIR>          pub", now2024());
  ASSERT_TRUE(e);
  EXPECT_TRUE(e->isDirectory);
  EXPECT_EQ(e->name, "pub");
  EXPECT_EQ(calendar(e->lastWrite), "2004-03-07 09:05:00.000");
  e = ParseListLine("12-31-1999  12:30PM           6442450944 big file.iso", now2024());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->size, 6442450944u);
  EXPECT_EQ(e->name, "big file.iso");
  EXPECT_EQ(calendar(e->lastWrite), "1999-12-31 12:30:00.000");
  EXPECT_EQ(listTime("01-02-98  12:00AM  5 midnight"), "1998-01-02 00:00:00.000");
  EXPECT_EQ(listTime("01-02-2010  23:59  5 late"), "2010-01-02 23:59:00.000");
}

TEST(ListingParser, WholeListingSkipsTotalsDotsAndGarbage) {
  const std::string listing =
      "total 12\r\n"
      "drwxr-xr-x 2 u g 4096 Jan  1  2020 .\r\n"
      "drwxr-xr-x 2 u g 4096 Jan  1  2020 ..\r\n"
      "-rw-r--r-- 1 u g 3 Jan  1  2020 one\n"
      "\x01\x02 garbage \xff\r\n"
      "-rw-r--r-- 1 u g 99999999999999999999999 Jan  1  2020 overflow\r\n"
      "-rw-r--r-- 1 u g 3 Foo  1  2020 badmonth\r\n"
      "-rw-r--r-- 1 u g 3 Jan 32  2020 badday\r\n"
      "-rw-r--r-- 1 u g 3 Jan  1 25:00 badtime\r\n"
      "-rw-r--r-- 1 u g 3 Jan  1  2020\r\n"
      "13-45-04  09:05AM  <DIR>  baddate\r\n"
      "\r\n"
      "drwxr-xr-x 2 u g 4096 Feb  2  2021 two";
  const auto entries = ParseListing(listing, ListingFormat::List, now2024());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "one");
  EXPECT_EQ(entries[1].name, "two");
  EXPECT_TRUE(entries[1].isDirectory);
}

TEST(ListingParser, WholeMlsdListingKeepsServerOrder) {
  const auto entries =
      ParseListing("type=cdir; .\r\ntype=file;size=1; b\r\nnot a fact line\r\ntype=dir; a\r\n",
                   ListingFormat::Mlsd, now2024());
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "b");
  EXPECT_EQ(entries[1].name, "a fact line");  // "not" reads as a fact without "="
  EXPECT_EQ(entries[2].name, "a");
}

}  // namespace
}  // namespace inet
