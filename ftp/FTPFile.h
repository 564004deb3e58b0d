// One entry of a remote directory listing, as McWinFTP's directory search delivers it: a plain
// record whose fields callers read and write directly.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock/DateTime.h"

struct FTPFile {
  std::u16string FileName;  // the name as the server lists it, without a directory part
  double FileSize = 0;      // bytes
  // Last-write time in the calendar fields the FTP layer reported (no time-zone conversion);
  // zero when the time has no calendar form (beyond the year 30827).
  DateTime FileDate;
  int32_t FileType = 0;    // 16 for a directory, 0 for anything else
  bool SearchEnd = false;  // true once the search has no current or further entry
};
