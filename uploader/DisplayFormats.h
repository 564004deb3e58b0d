// Number and date texts the uploader shows, in the forms of the Japanese locale the programs
// are made for: thousands separator ",", date separator "/", 24-hour clock.
#pragma once

#include <string>

#include "platform/clock/DateTime.h"

// `bytes` with the pattern "#,##0": rounded to a whole number, digits grouped by threes with ","
// ("0" for 0, "1,234,567" for 1234567). Negative values keep their minus sign.
std::u16string FormatFileSize(double bytes);

// "yyyy/mm/dd hh:nn": 2004/03/07 09:05. The record's zero value is the date type's zero value,
// 1899/12/30 00:00, as the list has always shown an entry without a date.
std::u16string FormatListDate(const DateTime& date);

// The general date-and-time form of the Japanese locale: short date "yyyy/MM/dd", a blank, long
// time "H:mm:ss" (2026/12/07 9:05:03); the date alone when the time is exactly 00:00:00.
std::u16string FormatGeneralDateTime(const DateTime& when);
