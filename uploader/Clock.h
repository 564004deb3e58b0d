// The local date and time as the uploader uses it (remote names, the completion message), and
// the clock that gives it, injectable so that tests can fix the time.
#pragma once

#include <functional>

struct LocalDateTime {
  int year = 0;    // four digits
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

// Returns the current local date and time.
using Clock = std::function<LocalDateTime()>;

// The system's local time, to the second.
LocalDateTime SystemLocalTime();
