// A calendar date and time to the second, and the system's local time in that form: the time
// the uploader names files and messages by, and the "now" that listing dates without a year
// are placed against.
#pragma once

struct DateTime {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59

  // All fields 0: a fresh value, or a time that has no calendar form.
  bool isZero() const { return *this == DateTime{}; }
  friend bool operator==(const DateTime&, const DateTime&) = default;
};

// The current local date and time, to the second.
DateTime SystemLocalTime();

// The current local date and time with its offset from UTC in minutes (east of Greenwich
// positive: +540 in Japan), read at one instant.
struct ZonedDateTime {
  DateTime local;
  int utcOffsetMinutes = 0;
};
ZonedDateTime SystemZonedTime();
