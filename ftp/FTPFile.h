// One entry of a remote directory listing, as McWinFTP's directory search delivers it: a plain
// record whose fields callers read and write directly.
#pragma once

#include <cstdint>
#include <string>

// A date and time to the second, in the calendar fields the FTP layer reported (no time-zone
// conversion). All fields 0 is the zero value: a fresh record, or a time that has no calendar
// form (beyond the year 30827).
struct FTPFileDate {
  int year = 0;
  int month = 0;   // 1..12
  int day = 0;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59

  bool isZero() const { return *this == FTPFileDate{}; }
  friend bool operator==(const FTPFileDate&, const FTPFileDate&) = default;
};

struct FTPFile {
  std::u16string FileName;  // the name as the server lists it, without a directory part
  double FileSize = 0;      // bytes
  FTPFileDate FileDate;     // last-write time
  int32_t FileType = 0;     // 16 for a directory, 0 for anything else
  bool SearchEnd = false;   // true once the search has no current or further entry
};
