// The layout of the settings file "Quillpst.dat", both ways, over its bytes: the one place that
// says what the file holds. The writer, the reader and every test that makes a settings file
// go through it.
//
// Written: the record line is the six values in file order, each enclosed in double quotes with
// every double quote inside written twice (MduCsv::MakeCsvLine), joined by commas, ending in
// CR LF; the file is that line twice, in CP932, and nothing else.
//
// Read (the classic line-input rules, so that a file from elsewhere reads as it always has):
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

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsRecord.h"

struct SettingsText {
  bool ok = false;
  std::string bytes;    // when ok: the whole file
  size_t field = 0;     // when not: the first value CP932 cannot hold exactly (0-based, file order)
  size_t position = 0;  // and the 0-based index of its first such character
};

// The file's bytes for `record`, its third value already scrambled. A value with a character
// that CP932 would change (a best-fit mapping such as U+00A5, or none at all) is refused.
[[nodiscard]] SettingsText MakeSettingsText(const SettingsRecord& record);

// The first six fields of `cp932Bytes`, or nothing when the input ends before the sixth is
// complete. Linear in the input, memory bounded by it.
[[nodiscard]] std::optional<SettingsRecord> ParseSettingsText(std::string_view cp932Bytes);
