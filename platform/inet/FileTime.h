// Calendar dates and the platform's FileTime (100 ns ticks since 1601-01-01 UTC): the listing
// parsers build entry times with FileTimeFromCivil; FileTimeToSystemTime (InternetApi.h) is the
// inverse. Proleptic Gregorian calendar, no time zones.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/inet/InternetApi.h"

namespace inet {

struct CivilTime {
  int year = 1601;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Days since 1970-01-01 of a calendar date (negative before it).
int64_t DaysFromCivil(int year, int month, int day);

// True when the fields name a real date and time (second 60 is refused; years 1601..30827).
bool IsValidCivilTime(const CivilTime& time);

// The FileTime of a valid calendar time; nullopt otherwise.
std::optional<FileTime> FileTimeFromCivil(const CivilTime& time);

}  // namespace inet
