// Turns the lines of a directory listing into entries. Pure: the engine feeds it the bytes of
// the data connection. Three formats: MLSD (RFC 3659 machine listing), Unix "ls -l" lines and
// DOS/IIS lines; lines of any other format (VMS, MVS, NetWare, EPLF ...) are skipped. A line
// that cannot be read is skipped, never fatal, and never becomes an entry with a guessed name
// or type. Names are returned as the wire bytes, exactly (blanks, CP932 or UTF-8 included);
// converting them, and skipping names too long for FindData, is the engine's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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
// are other lines that name the directory itself), size (or sizd), modify=YYYYMMDDHHMMSS[.sss]
// in UTC. Types other than dir (symbolic links included) are files. A line is skipped when its
// facts are malformed (a fact without "=", a fact list without its closing ";" before the
// blank, an empty or many-word type) or its size is not a decimal number: FindData can only
// show an unknown size as 0, an empty file. A modify value that is no valid time gives time
// zero, FindData's "no time". A fact value may hold blanks, as some servers print group names
// such as "domain users"; the name starts after the first "; ".
std::optional<ListingEntry> ParseMlsdLine(std::string_view line);

// One LIST line, in one of these forms:
// - Unix "ls -l": a mode column ("drwxr-xr-x", also with an ACL mark "+", "." or "@", and the
//   nine-character forms "drw-r--rw" and "rw-rw-rw-"), links, owner and group (either may be
//   missing or hold blanks), size, date, one blank, the name. Type letters are those of GNU
//   ls and BSD (- b c C d D l M n p P s w ?); only d is a directory, devices have size 0. The
//   date is English ("Mar  5 09:05", "Mar  5  2004"), Japanese, Chinese or Korean as ls prints
//   it in those locales in UTF-8, Shift_JIS/CP932, EUC-JP, GBK, Big5 or EUC-KR ("3月  5 09:05",
//   "12月  7  2025", "2019年11月30日", "12월  7일  18:11", "2018년  6월  1일"), or ISO
//   ("2005-06-07 21:22"). Month names of other locales are not read: such lines are skipped.
//   A time without a year lies within the 184 days up to a day after `now` (ls prints that
//   form for the past six months; a server's clock may run ahead of ours), or else within the
//   coming 184 days (some servers print future dates so). Symbolic links "name -> target" are
//   given by their link name, as files.
// - DOS/IIS: "03-07-04  09:05AM  <DIR>  pub", with two- or four-digit years, year-first ISO
//   dates ("2013-09-02", "2013/09/02"), "09:05 AM" or 24-hour times, and sizes with thousands
//   separators ("1,234,567"). The name follows the size after one blank, or "<DIR>" after up
//   to ten blanks, as IIS and Windows align them; further blanks belong to the name.
// Times are taken as given (no time zone).
std::optional<ListingEntry> ParseListLine(std::string_view line, const CivilTime& now);

}  // namespace inet
