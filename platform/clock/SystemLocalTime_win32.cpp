// The local time from the system's own time zone settings.
#include <windows.h>

#include "platform/clock/DateTime.h"

namespace {

DateTime dateTime(const SYSTEMTIME& t) {
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

long long minutesOf(const SYSTEMTIME& t) {
  FILETIME file{};
  SystemTimeToFileTime(&t, &file);
  const long long ticks = static_cast<long long>(file.dwHighDateTime) << 32 | file.dwLowDateTime;
  return ticks / (10'000'000LL * 60);
}

}  // namespace

ZonedDateTime SystemZonedTime() {
  FILETIME utcNow{};
  GetSystemTimeAsFileTime(&utcNow);
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  FileTimeToSystemTime(&utcNow, &utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  return {dateTime(local), static_cast<int>(minutesOf(local) - minutesOf(utc))};
}

DateTime SystemLocalTime() { return SystemZonedTime().local; }
