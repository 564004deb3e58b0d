// The local time from the C library's time zone rules.
#include <time.h>

#include "platform/clock/DateTime.h"

ZonedDateTime SystemZonedTime() {
  const time_t now = ::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
           local.tm_sec},
          static_cast<int>(local.tm_gmtoff / 60)};
}

DateTime SystemLocalTime() { return SystemZonedTime().local; }
