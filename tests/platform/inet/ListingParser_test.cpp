#include "platform/inet/ListingParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace inet {
namespace {

// The calendar form of an entry's time, "YYYY-MM-DD hh:mm:ss[.mmm]", or "none" for time zero.
std::string calendar(const FileTime& time) {
  if (time.dwHighDateTime == 0 && time.dwLowDateTime == 0) return "none";
  SystemTime st;
  if (!FileTimeToSystemTime(time, &st)) return "invalid";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  std::string result = text;
  if (st.wMilliseconds != 0) {
    std::snprintf(text, sizeof text, ".%03u", st.wMilliseconds);
    result += text;
  }
  return result;
}

CivilTime civil(int year, int month, int day, int hour = 0, int minute = 0) {
  CivilTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  return t;
}

const CivilTime kNow = civil(2024, 3, 10, 12);

// An entry as the data files write it: "dir|file <size> <time> <name>", or "skip".
std::string describe(const std::optional<ListingEntry>& entry) {
  if (!entry) return "skip";
  return std::string(entry->isDirectory ? "dir " : "file ") + std::to_string(entry->size) + " " +
         calendar(entry->lastWrite) + " " + entry->name;
}

// The data files' escapes: "\xHH" is a byte, "\\" a backslash.
std::string unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      bytes += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// Each data file holds lines captured from ls, from the servers here and from public
// documentation, each followed by the entry it must give.
TEST(ListingParser, CapturedAndPublishedLinesGiveTheirEntries) {
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(QP_LISTINGS_DIR)) {
    if (item.path().extension() == ".txt") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 3u);
  size_t cases = 0;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    CivilTime now = kNow;
    std::string line;
    std::string pending;
    for (int number = 1; std::getline(in, line); ++number) {
      if (line.starts_with("now ")) {
        int y, mo, d, h, mi;
        ASSERT_EQ(std::sscanf(line.c_str(), "now %d-%d-%d %d:%d", &y, &mo, &d, &h, &mi), 5);
        now = civil(y, mo, d, h, mi);
      } else if (line.starts_with("list ") || line.starts_with("mlsd ")) {
        pending = line;
      } else if (line.starts_with("=> ")) {
        SCOPED_TRACE(file.filename().string() + ":" + std::to_string(number - 1));
        ASSERT_FALSE(pending.empty());
        const std::string bytes = unescape(pending.substr(5));
        const auto entry = pending[0] == 'm' ? ParseMlsdLine(bytes) : ParseListLine(bytes, now);
        EXPECT_EQ(describe(entry), unescape(line.substr(3)));
        pending.clear();
        ++cases;
      }
    }
  }
  EXPECT_GE(cases, 300u);
}

TEST(ListingParser, MlsdKeepsMillisecondsAndGivesTimeZeroForAnUnusableTime) {
  auto e = ParseMlsdLine("type=file;size=5;modify=20040305070809.250; a");
  ASSERT_TRUE(e);
  EXPECT_EQ(calendar(e->lastWrite), "2004-03-05 07:08:09.250");
  for (const char* modify : {"2024999", "20241301000000", "20240101000000.5x", "16000101000000"}) {
    e = ParseMlsdLine(std::string("type=file;size=5;modify=") + modify + "; a");
    ASSERT_TRUE(e) << modify;
    EXPECT_EQ(calendar(e->lastWrite), "none") << modify;
    EXPECT_EQ(e->size, 5u);
  }
}

TEST(ListingParser, MlsdLinesWithMalformedFactsAreSkipped) {
  for (const char* line :
       {"Type=dir missing-semicolon",     // no ";" closes the facts
        "type=dir;size=1 phantom",        // the same after a good fact
        "type=dir;unix.mode phantom; x",  // a fact without "="
        "type=dir;=0755; x",              // a fact without a name
        "type=dir missing;size=1; x",     // a type of two words
        "type=;size=1; x",                // an empty type
        "type=file;size=notanumber; x",   // unusable sizes
        "type=file;size=; x", "type=file;size=-1; x", "type=file;size=99999999999999999999; x",
        "type=file;size=1;",  // no blank and name
        "type=file;size=1; ", "type=cdir; /home/x", "type=pdir; /home", "type=dir; ..",
        "type=file; a\rb", ""}) {
    EXPECT_FALSE(ParseMlsdLine(line)) << line;
  }
}

TEST(ListingParser, UnixLinesWithoutAValidModeDateOrNameAreSkipped) {
  for (const char* line :
       {"dxrwr-xr-x 1 u g 1 Jan  1  2020 phantom",  // permissions out of place
        "xrwxr-xr-x 1 u g 1 Jan  1  2020 x",        // no such type letter
        "-rwxr-xr-xz 1 u g 1 Jan  1  2020 x",       // no such ACL mark
        "drwxr-xr 1 u g 1 Jan  1  2020 x",          // too short
        "-rw-r--r-- 1 u g 3 Foo  1  2020 x", "-rw-r--r-- 1 u g 3 Jan 32  2020 x",
        "-rw-r--r-- 1 u g 3 Feb 30  2020 x", "-rw-r--r-- 1 u g 3 Jan  1 25:00 x",
        "-rw-r--r-- 1 u g 3 13\xE6\x9C\x88  1  2020 x",
        "-rw-r--r-- 1 u g 3 2019\xE5\xB9\xB4"
        "13\xE6\x9C\x88"
        "1\xE6\x97\xA5 x",
        "-rw-r--r-- 1 u g 3 2005-13-07 21:22 x", "-rw-r--r-- 1 u g 3 Jan  1  2020",
        "-rw-r--r-- 1 u g 3 Jan  1  2020 ", "-rw-r--r-- 1 u g 3 Jan  1 12:00 .",
        "-rw-r--r-- 1 u g 99999999999999999999 Jan  1  2020 x",
        "-rw-r--r-- 1 u g 3 26. Juli, 20:10 x"}) {
    EXPECT_FALSE(ParseListLine(line, kNow)) << line;
  }
}

TEST(ListingParser, UnixDateIsTheFirstAfterANumberAndNeverInTheName) {
  // A month-like owner, no group: the date follows the size.
  auto e = ParseListLine("-rw-r--r-- 1 may jun 77 Jul  4  2001 x", kNow);
  ASSERT_TRUE(e);
  EXPECT_EQ(describe(e), "file 77 2001-07-04 00:00:00 x");
  e = ParseListLine("-rw-r--r-- 1 u g 12 Jan  1  2020 5 Feb  3  2021 y", kNow);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "5 Feb  3  2021 y");
  // A name that merely contains an arrow is kept whole when the entry is no link.
  e = ParseListLine("-rw-r--r-- 1 user group 1 Feb  3 04:05 a -> b", kNow);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->name, "a -> b");
}

TEST(ListingParser, UnixTimeWithoutYearLiesInThePastHalfYearOrElseTheComingOne) {
  const auto at = [](const char* date, const CivilTime& now = kNow) {
    const auto e = ParseListLine(std::string("-rw-r--r-- 1 u g 10 ") + date + " a", now);
    return e ? calendar(e->lastWrite) : "skip";
  };
  EXPECT_EQ(at("Mar  5 09:05"), "2024-03-05 09:05:00");
  EXPECT_EQ(at("Nov 20 18:00"), "2023-11-20 18:00:00");
  // A server clock some hours ahead stays in this year.
  EXPECT_EQ(at("Mar 10 20:00"), "2024-03-10 20:00:00");
  // Last year's date would be over 184 days back: a coming date, as some servers print them.
  EXPECT_EQ(at("Jun 20 18:00"), "2024-06-20 18:00:00");
  EXPECT_EQ(at("Jan  5 06:00", civil(2026, 12, 7, 18, 14)), "2027-01-05 06:00:00");
  EXPECT_EQ(at("Feb 29 10:00", civil(2025, 3, 1)), "2024-02-29 10:00:00");
  EXPECT_EQ(at("Feb 29 10:00", civil(2027, 12, 1)), "2028-02-29 10:00:00");
}

TEST(ListingParser, DosLinesWithAnInvalidDateTimeOrSizeAreSkipped) {
  for (const char* line :
       {"13-45-04  09:05AM       <DIR>          x", "02-30-04  09:05AM       <DIR>          x",
        "03-07-04  13:05PM                5 x", "03-07-04  00:05AM                5 x",
        "03-07-04  09:05AM             1,23 x", "03-07-04  09:05AM       12,345,67 x",
        "03-07-04  09:05AM        1,,234 x", "03-07-04  09:05AM               5x x",
        "03-07-04  09:05AM       <DIR>", "03-07-04  09:05AM <DIR>\tx",
        "2013-09-02  18:48                5", "2013/09-02  18:48                5 x",
        "03-07-04  09:05AM       <DIR>          .."}) {
    EXPECT_FALSE(ParseListLine(line, kNow)) << line;
  }
  // Noon and midnight on the 12-hour clock.
  EXPECT_EQ(describe(ParseListLine("01-02-98  12:00AM  5 midnight", kNow)),
            "file 5 1998-01-02 00:00:00 midnight");
  EXPECT_EQ(describe(ParseListLine("01-02-98  12:30 PM  5 noon", kNow)),
            "file 5 1998-01-02 12:30:00 noon");
}

TEST(ListingParser, WholeListingSkipsUnreadableLinesAndKeepsServerOrder) {
  const auto list = ParseListing(
      "total 12\r\n"
      "drwxr-xr-x 2 u g 4096 Jan  1  2020 .\r\n"
      "-rw-r--r-- 1 u g 3 Jan  1  2020 one\n"
      "\x01\x02 garbage \xff\r\n"
      "\r\n"
      "drwxr-xr-x 2 u g 4096 Feb  2  2021 two",
      ListingFormat::List, kNow);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "one");
  EXPECT_EQ(list[1].name, "two");
  const auto mlsd =
      ParseListing("type=cdir; .\r\ntype=file;size=1; b\r\nnot a fact line\r\ntype=dir; a\r\n",
                   ListingFormat::Mlsd, kNow);
  ASSERT_EQ(mlsd.size(), 2u);
  EXPECT_EQ(mlsd[0].name, "b");
  EXPECT_EQ(mlsd[1].name, "a");
}

}  // namespace
}  // namespace inet
