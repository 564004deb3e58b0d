#include "platform/inet/FileTime.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(FileTime, CalendarRoundTripsThroughFileTime) {
  for (const CivilTime& t :
       {CivilTime{1601, 1, 1, 0, 0, 0, 0}, CivilTime{1970, 1, 1, 0, 0, 0, 0},
        CivilTime{2000, 2, 29, 23, 59, 59, 999}, CivilTime{2038, 1, 19, 3, 14, 8, 0},
        CivilTime{2100, 12, 31, 12, 0, 0, 1}}) {
    const auto fileTime = FileTimeFromCivil(t);
    ASSERT_TRUE(fileTime);
    SystemTime st;
    ASSERT_TRUE(FileTimeToSystemTime(*fileTime, &st));
    EXPECT_EQ(st.wYear, t.year);
    EXPECT_EQ(st.wMonth, t.month);
    EXPECT_EQ(st.wDay, t.day);
    EXPECT_EQ(st.wHour, t.hour);
    EXPECT_EQ(st.wMinute, t.minute);
    EXPECT_EQ(st.wSecond, t.second);
    EXPECT_EQ(st.wMilliseconds, t.millisecond);
  }
}

TEST(FileTime, KnownInstantHasThePlatformsTickCountAndWeekday) {
  // 1970-01-01 is 11644473600 seconds after 1601-01-01, a Thursday.
  const auto fileTime = FileTimeFromCivil({1970, 1, 1, 0, 0, 0, 0});
  ASSERT_TRUE(fileTime);
  const uint64_t ticks = (uint64_t{fileTime->dwHighDateTime} << 32) | fileTime->dwLowDateTime;
  EXPECT_EQ(ticks, 116444736000000000u);
  SystemTime st;
  ASSERT_TRUE(FileTimeToSystemTime(*fileTime, &st));
  EXPECT_EQ(st.wDayOfWeek, 4);
}

TEST(FileTime, ImpossibleDatesAndHighBitTimesAreRefused) {
  EXPECT_FALSE(FileTimeFromCivil({2023, 2, 29, 0, 0, 0, 0}));
  EXPECT_FALSE(FileTimeFromCivil({2024, 4, 31, 0, 0, 0, 0}));
  EXPECT_FALSE(FileTimeFromCivil({1600, 12, 31, 0, 0, 0, 0}));
  EXPECT_FALSE(FileTimeFromCivil({2024, 1, 1, 24, 0, 0, 0}));
  SystemTime st;
  EXPECT_FALSE(FileTimeToSystemTime(FileTime{0, 0x80000000u}, &st));
}

}  // namespace
}  // namespace inet
