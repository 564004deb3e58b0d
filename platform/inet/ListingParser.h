// Turns the lines of a directory listing into entries. Pure: the engine feeds it the bytes of
// the data connection. Three formats: MLSD (RFC 3659 machine listing), Unix "ls -l" lines and
// DOS/IIS lines. A line that cannot be read is skipped, never fatal. Names are returned as the
// wire bytes; converting them, and skipping names too long for FindData, is the engine's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/inet/FileTime.h"
#include "platform/inet/InternetApi.h"

namespace inet {

struct ListingEntry {
  std::string name;  // wire bytes, never empty, never "." or "..", no NUL, CR or LF
  uint64_t size = 0;
  FileTime lastWrite;  // zero when the listing gives no usable time
  bool isDirectory = false;
};

enum class ListingFormat { Mlsd, List };

// One MLSD line "fact=value;fact=value; name": type=dir/file (cdir and pdir are skipped, as
// are other lines that name the directory itself), size, modify=YYYYMMDDHHMMSS[.sss] in UTC.
// Types other than dir (symbolic links included) are files.
std::optional<ListingEntry> ParseMlsdLine(std::string_view line);

// One LIST line, Unix "ls -l" form or DOS/IIS form ("03-07-04  09:05AM  <DIR>  pub").
// A Unix time without a year ("Mar  5 09:05") lies within the past months: it takes the year
// of `now`, or the year before when that would put it more than a day after `now` (servers
// list their own local time, which may run ahead of ours). Symbolic links "name -> target"
// are given by their link name, as files. Times are taken as given (no time zone).
std::optional<ListingEntry> ParseListLine(std::string_view line, const CivilTime& now);

// Every readable entry of a whole listing, in the server's order. Lines may end in CR LF or
// LF; "total N" lines and anything else unreadable are skipped.
std::vector<ListingEntry> ParseListing(std::string_view listing, ListingFormat format,
                                       const CivilTime& now);

}  // namespace inet
