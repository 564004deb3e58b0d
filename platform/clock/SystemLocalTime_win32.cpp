// The local time from the system's own time zone settings.
#include <windows.h>

#include "platform/clock/DateTime.h"

DateTime SystemLocalTime() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}
