#include "platform/inet/FileTime.h"

namespace inet {
namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerMillisecond = 10'000;
constexpr int64_t kSecondsPerDay = 86'400;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kDaysFrom1601To1970 = 134'774;

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// The inverse of DaysFromCivil (H. Hinnant's algorithm).
void civilFromDays(int64_t days, int* year, int* month, int* day) {
  days += 719'468;
  const int64_t era = (days >= 0 ? days : days - 146'096) / 146'097;
  const int64_t dayOfEra = days - era * 146'097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthPrime = (5 * dayOfYear + 2) / 153;
  *day = static_cast<int>(dayOfYear - (153 * monthPrime + 2) / 5 + 1);
  *month = static_cast<int>(monthPrime < 10 ? monthPrime + 3 : monthPrime - 9);
  *year = static_cast<int>(yearOfEra + era * 400 + (*month <= 2 ? 1 : 0));
}

}  // namespace

int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = month <= 2 ? year - 1 : year;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t monthPrime = month > 2 ? month - 3 : month + 9;
  const int64_t dayOfYear = (153 * monthPrime + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146'097 + dayOfEra - 719'468;
}

bool IsValidCivilTime(const CivilTime& t) {
  return t.year >= 1601 && t.year <= 30827 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
         t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
         t.minute <= 59 && t.second >= 0 && t.second <= 59 && t.millisecond >= 0 &&
         t.millisecond <= 999;
}

std::optional<FileTime> FileTimeFromCivil(const CivilTime& t) {
  if (!IsValidCivilTime(t)) return std::nullopt;
  const int64_t days = DaysFromCivil(t.year, t.month, t.day) + kDaysFrom1601To1970;
  const int64_t seconds = days * kSecondsPerDay + t.hour * 3600 + t.minute * 60 + t.second;
  const auto ticks =
      static_cast<uint64_t>(seconds * kTicksPerSecond + t.millisecond * kTicksPerMillisecond);
  return FileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
}

bool FileTimeToSystemTime(const FileTime& fileTime, SystemTime* systemTime) {
  const uint64_t ticks =
      (static_cast<uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
  if (systemTime == nullptr || (ticks >> 63) != 0) return false;
  const auto totalMilliseconds = static_cast<int64_t>(ticks / kTicksPerMillisecond);
  const int64_t totalSeconds = totalMilliseconds / 1000;
  const int64_t days = totalSeconds / kSecondsPerDay;
  const int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  int year = 0;
  int month = 0;
  int day = 0;
  civilFromDays(days - kDaysFrom1601To1970, &year, &month, &day);
  systemTime->wYear = static_cast<uint16_t>(year);
  systemTime->wMonth = static_cast<uint16_t>(month);
  // 1601-01-01 was a Monday; Sunday is 0.
  systemTime->wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);
  systemTime->wDay = static_cast<uint16_t>(day);
  systemTime->wHour = static_cast<uint16_t>(secondOfDay / 3600);
  systemTime->wMinute = static_cast<uint16_t>(secondOfDay / 60 % 60);
  systemTime->wSecond = static_cast<uint16_t>(secondOfDay % 60);
  systemTime->wMilliseconds = static_cast<uint16_t>(totalMilliseconds % 1000);
  return true;
}

}  // namespace inet
