// Reading the settings file "Quillpst.dat": the first six comma-separated CP932 fields.
//
// How fields are read (the classic line-input rules):
// - Fields are separated by commas; a line end (CR LF, CR or LF) also ends a field.
// - Blanks (space, tab) before a field are skipped. A field that then begins with a double
//   quote runs to its closing quote; two adjacent quotes inside stand for one quote, and commas,
//   blanks and line ends inside belong to the value. Anything between the closing quote and the
//   next comma or line end is ignored. A quote that is never closed means the file ended early.
// - A field that does not begin with a quote runs to the next comma or line end, with blanks
//   around it trimmed; quotes inside it are kept as they are.
// - The end of the file ends the sixth field like a line end, but a field cannot begin at the
//   end of the file (after a comma, or after nothing but blanks): that is the file ending early.
// - Nothing after the sixth field is looked at, so a second line that differs, is broken or is
//   missing does not matter.
// Values are decoded from CP932 with codepage::FromAnsi; no value is trimmed beyond the rule for
// unquoted fields.
#pragma once

#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

enum class ReadStatus { Read, NotFound, EndedEarly, Unreadable };

struct ReadSettingsResult {
  ReadStatus status = ReadStatus::Unreadable;
  SettingsRecord record;  // valid only when status is Read
  std::u16string detail;  // Unreadable: a short Japanese reason (e.g. the OS error)
};

// The largest prefix of the file that is read. A real settings file is a few hundred bytes; a
// file whose six fields are not complete within this many bytes is Unreadable (too large).
inline constexpr size_t kSettingsFileReadLimit = 1 << 20;

// Reads `folder` + "/" + kSettingsFileName. NotFound when the file (or the folder) does not
// exist; Unreadable when it cannot be opened or read, is not a regular file, or is too large;
// EndedEarly when it holds fewer than six fields. Never blocks on special files.
[[nodiscard]] ReadSettingsResult ReadSettingsFile(const std::u16string& folder);

// The pure part: the first six fields of `cp932Bytes`. Gives Read or EndedEarly; linear in the
// input, memory bounded by the input.
[[nodiscard]] ReadSettingsResult ParseSettingsText(std::string_view cp932Bytes);
