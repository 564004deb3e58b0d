#include "platform/inet/ListingParser.h"

#include <array>

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

constexpr int64_t kMinutesPerDay = 1440;
// How far from now a date printed without its year may lie: ls prints that form for the past
// six months, with a few days to spare for the server's time zone and the length of months.
constexpr int64_t kYearlessSpan = 184 * kMinutesPerDay;

int parseSmall(std::string_view text) {
  const auto value = ParseUnsignedDecimal(text);
  return value && *value <= 100000 ? static_cast<int>(*value) : -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The next blank-separated token at or after `*pos`; `*pos` ends just past it.
std::string_view nextToken(std::string_view line, size_t* pos) {
  size_t start = *pos;
  while (start < line.size() && isBlank(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !isBlank(line[end])) ++end;
  *pos = end;
  return line.substr(start, end - start);
}

bool acceptableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

// "HH:MM" (or "H:MM") into hour and minute.
bool parseClock(std::string_view text, int* hour, int* minute) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() - colon != 3) {
    return false;
  }
  *hour = parseSmall(text.substr(0, colon));
  *minute = parseSmall(text.substr(colon + 1));
  return *hour >= 0 && *hour <= 23 && *minute >= 0 && *minute <= 59;
}

// ---- MLSD ----

// "YYYYMMDDHHMMSS" with optional ".sss" (any number of fraction digits, milliseconds kept).
FileTime parseMlsdTime(std::string_view value) {
  if (value.size() < 14 || !AllAsciiDigits(value.substr(0, 14))) return {};
  CivilTime t;
  t.year = parseSmall(value.substr(0, 4));
  t.month = parseSmall(value.substr(4, 2));
  t.day = parseSmall(value.substr(6, 2));
  t.hour = parseSmall(value.substr(8, 2));
  t.minute = parseSmall(value.substr(10, 2));
  t.second = parseSmall(value.substr(12, 2));
  std::string_view fraction = value.substr(14);
  if (!fraction.empty()) {
    if (fraction[0] != '.' || !AllAsciiDigits(fraction.substr(1))) return {};
    std::string digits(fraction.substr(1, 3));
    digits.resize(3, '0');
    t.millisecond = parseSmall(digits);
  }
  return FileTimeFromCivil(t).value_or(FileTime{});
}

// Applies one "name=value" fact; false when the line cannot give an entry: a fact without a
// name, a type that is empty or not one word, the directory itself or its parent, or a size
// that is not a number (at FindData an unknown size would read as an empty file).
bool applyMlsdFact(std::string_view fact, ListingEntry* entry) {
  const size_t equals = fact.find('=');
  if (equals == 0 || equals == std::string_view::npos) return false;
  const std::string_view key = fact.substr(0, equals);
  const std::string_view value = fact.substr(equals + 1);
  if (key.find(' ') != std::string_view::npos) return false;
  if (EqualsIgnoringAsciiCase(key, "type")) {
    if (value.empty() || value.find(' ') != std::string_view::npos ||
        EqualsIgnoringAsciiCase(value, "cdir") || EqualsIgnoringAsciiCase(value, "pdir")) {
      return false;
    }
    entry->isDirectory = EqualsIgnoringAsciiCase(value, "dir");
  } else if (EqualsIgnoringAsciiCase(key, "size") || EqualsIgnoringAsciiCase(key, "sizd")) {
    const auto size = ParseUnsignedDecimal(value);
    if (!size) return false;
    entry->size = *size;
  } else if (EqualsIgnoringAsciiCase(key, "modify")) {
    entry->lastWrite = parseMlsdTime(value);
  }
  return true;
}

// ---- Unix ls -l ----

// Permission letters, each in its place: r, w, then x or a set-ID, sticky or locking letter.
bool validPermissions(std::string_view text) {
  static constexpr std::array<std::string_view, 9> kAllowed = {"r-",     "w-", "xsS-", "r-",  "w-",
                                                               "xsSlL-", "r-", "w-",   "xtT-"};
  for (size_t i = 0; i < text.size(); ++i) {
    if (kAllowed[i].find(text[i]) == std::string_view::npos) return false;
  }
  return true;
}

// The type letter of the mode column: a type letter and nine permissions ("drwxr-sr-x"),
// perhaps marked for an ACL or extended attributes ("-rw-r--r--+", "@", "."). Some servers
// print nine characters: the type letter with the last permission missing ("drw-r--rw"), or
// no type letter at all ("rw-rw-rw-", a file). The type letters are those GNU ls documents,
// plus BSD's whiteout.
std::optional<char> unixEntryType(std::string_view mode) {
  static constexpr std::string_view kTypes = "-bcCdDlMnpPsw?";
  const bool typed = !mode.empty() && kTypes.find(mode[0]) != std::string_view::npos;
  if (mode.size() == 11 && std::string_view("+.@").find(mode[10]) == std::string_view::npos) {
    return std::nullopt;
  }
  if (mode.size() == 10 || mode.size() == 11) {
    if (typed && validPermissions(mode.substr(1, 9))) return mode[0];
  } else if (mode.size() == 9) {
    if (typed && validPermissions(mode.substr(1))) return mode[0];
    if (validPermissions(mode)) return '-';
  }
  return std::nullopt;
}

int englishMonth(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  for (size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text, kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

// The units that ls prints after the numbers of a date in Japanese, Chinese and Korean
// locales: 年 月 日 and 년 월 일, in UTF-8, Shift_JIS (CP932), EUC-JP, GBK, Big5 and EUC-KR.
enum class DateUnit { None, Year, Month, Day };

struct UnitMark {
  std::string_view bytes;
  DateUnit unit;
};

constexpr std::array<UnitMark, 21> kUnitMarks = {{
    {"\xE5\xB9\xB4", DateUnit::Year},  {"\xE6\x9C\x88", DateUnit::Month},
    {"\xE6\x97\xA5", DateUnit::Day},   {"\xEB\x85\x84", DateUnit::Year},
    {"\xEC\x9B\x94", DateUnit::Month}, {"\xEC\x9D\xBC", DateUnit::Day},
    {"\x94\x4E", DateUnit::Year},      {"\x8C\x8E", DateUnit::Month},
    {"\x93\xFA", DateUnit::Day},       {"\xC7\xAF", DateUnit::Year},
    {"\xB7\xEE", DateUnit::Month},     {"\xC6\xFC", DateUnit::Day},
    {"\xC4\xEA", DateUnit::Year},      {"\xD4\xC2", DateUnit::Month},
    {"\xC8\xD5", DateUnit::Day},       {"\xA6\x7E", DateUnit::Year},
    {"\xA4\xEB", DateUnit::Month},     {"\xA4\xE9", DateUnit::Day},
    {"\xB3\xE2", DateUnit::Year},      {"\xBF\xF9", DateUnit::Month},
    {"\xC0\xCF", DateUnit::Day},
}};

// One field of the date column: a number with an optional unit ("12月", "2019年"), an English
// month name, a clock "HH:MM" or an ISO date "YYYY-MM-DD". A unit ends its field even without
// a blank after it ("2019年11月30日").
struct DateField {
  enum class Kind { Number, Month, Clock, IsoDate } kind = Kind::Number;
  std::string_view text;  // the digits, the month name, the clock or the ISO date
  DateUnit unit = DateUnit::None;
  size_t end = 0;  // offset just past the field
};

std::optional<DateField> readDateField(std::string_view line, size_t pos) {
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  size_t digits = pos;
  while (digits < line.size() && IsAsciiDigit(line[digits])) ++digits;
  DateField field;
  for (const UnitMark& mark : kUnitMarks) {
    if (digits > pos && line.substr(digits).starts_with(mark.bytes)) {
      field.text = line.substr(pos, digits - pos);
      field.unit = mark.unit;
      field.end = digits + mark.bytes.size();
      return field;
    }
  }
  size_t end = pos;
  const std::string_view token = nextToken(line, &end);
  field.text = token;
  field.end = end;
  if (englishMonth(token) != 0) {
    field.kind = DateField::Kind::Month;
  } else if (token.find(':') != std::string_view::npos) {
    field.kind = DateField::Kind::Clock;
  } else if (token.size() == 10 && token[4] == '-' && token[7] == '-') {
    field.kind = DateField::Kind::IsoDate;
  } else if (!AllAsciiDigits(token)) {
    return std::nullopt;
  }
  return field;
}

bool isNumber(const DateField& field, DateUnit unit) {
  return field.kind == DateField::Kind::Number && field.unit == unit;
}

// A date printed without its year. ls prints that form for the past six months only, so it is
// the latest such date up to a day after `now` (a server's clock may run ahead of ours). When
// that lies more than 184 days back, the server printed a coming date (some print every future
// date without its year) and the next one is taken. Feb 29 walks back to a leap year.
int yearForRecentDate(int month, int day, int hour, int minute, const CivilTime& now) {
  const auto minutesAt = [&](int year) {
    return DaysFromCivil(year, month, day) * kMinutesPerDay + hour * 60 + minute;
  };
  const int64_t nowMinutes =
      DaysFromCivil(now.year, now.month, now.day) * kMinutesPerDay + now.hour * 60 + now.minute;
  std::optional<int> past;
  std::optional<int> coming;
  for (int year = now.year + 1; year >= now.year - 8 && !past; --year) {
    CivilTime probe;
    probe.year = year;
    probe.month = month;
    probe.day = day;
    if (!IsValidCivilTime(probe)) continue;
    if (minutesAt(year) > nowMinutes + kMinutesPerDay) {
      coming = year;
    } else {
      past = year;
    }
  }
  if (past && nowMinutes - minutesAt(*past) <= kYearlessSpan) return *past;
  if (coming && minutesAt(*coming) - nowMinutes <= kYearlessSpan) return *coming;
  return past.value_or(now.year);
}

// The month, day and year-or-clock fields: "Mar  5 09:05", "Mar  5  2004", "3月  5 09:05",
// "12월  7일  18:11", " 4月 18日 2003年".
bool monthFirstDate(const DateField* f, const CivilTime& now, CivilTime* t) {
  t->month = f[0].kind == DateField::Kind::Month ? englishMonth(f[0].text) : parseSmall(f[0].text);
  t->day = parseSmall(f[1].text);
  if (!isNumber(f[1], DateUnit::None) && !isNumber(f[1], DateUnit::Day)) return false;
  if (t->month < 1 || t->month > 12 || t->day < 1 || t->day > 31) return false;
  if (f[2].text.size() == 4 && (isNumber(f[2], DateUnit::None) || isNumber(f[2], DateUnit::Year))) {
    t->year = parseSmall(f[2].text);
    return true;
  }
  if (f[2].kind != DateField::Kind::Clock || !parseClock(f[2].text, &t->hour, &t->minute)) {
    return false;
  }
  t->year = yearForRecentDate(t->month, t->day, t->hour, t->minute, now);
  return true;
}

struct DateColumn {
  FileTime time;
  size_t end = 0;  // offset just past the date
};

// The date column at `pos`: English or CJK month first, CJK year first ("2019年11月30日",
// "2018년  6월  1일"), or ISO "2005-06-07 21:22" (ls in locales it has no month names for).
std::optional<DateColumn> parseUnixDate(std::string_view line, size_t pos, const CivilTime& now) {
  std::array<DateField, 3> f;
  size_t end = pos;
  for (size_t i = 0; i < f.size(); ++i) {
    const auto field = readDateField(line, end);
    if (!field) return std::nullopt;
    f[i] = *field;
    end = field->end;
    if (i == 1 && f[0].kind == DateField::Kind::IsoDate) break;
  }
  CivilTime t;
  if (f[0].kind == DateField::Kind::IsoDate) {
    const std::string_view iso = f[0].text;
    t.year = parseSmall(iso.substr(0, 4));
    t.month = parseSmall(iso.substr(5, 2));
    t.day = parseSmall(iso.substr(8, 2));
    if (f[1].kind != DateField::Kind::Clock || !parseClock(f[1].text, &t.hour, &t.minute)) {
      return std::nullopt;
    }
  } else if (isNumber(f[0], DateUnit::Year) && isNumber(f[1], DateUnit::Month) &&
             isNumber(f[2], DateUnit::Day) && f[0].text.size() == 4) {
    t.year = parseSmall(f[0].text);
    t.month = parseSmall(f[1].text);
    t.day = parseSmall(f[2].text);
  } else if ((f[0].kind != DateField::Kind::Month && !isNumber(f[0], DateUnit::Month)) ||
             !monthFirstDate(f.data(), now, &t)) {
    return std::nullopt;
  }
  const auto time = FileTimeFromCivil(t);
  if (!time) return std::nullopt;
  return DateColumn{*time, end};
}

std::optional<ListingEntry> unixEntry(std::string_view line, char type, uint64_t size,
                                      const DateColumn& date) {
  // ls pads the columns before the name, so exactly one blank separates it from the date.
  if (date.end >= line.size() || line[date.end] != ' ') return std::nullopt;
  ListingEntry entry;
  entry.name = std::string(line.substr(date.end + 1));
  if (type == 'l') {
    const size_t arrow = entry.name.find(" -> ");
    if (arrow != std::string::npos) entry.name.resize(arrow);
  }
  if (!acceptableName(entry.name)) return std::nullopt;
  // Devices show "major, minor" where the size would be.
  entry.size = type == 'b' || type == 'c' ? 0 : size;
  entry.lastWrite = date.time;
  entry.isDirectory = type == 'd';
  return entry;
}

std::optional<ListingEntry> parseUnixLine(std::string_view line, const CivilTime& now) {
  // mode, links, owner, group, size, date, name: the owner and the group may be missing or
  // hold blanks ("Domain Users"), so the date is searched for after a number, within the
  // first columns (a name is never searched for a date).
  constexpr int kMaxColumns = 16;
  size_t pos = 0;
  const auto type = unixEntryType(nextToken(line, &pos));
  if (!type) return std::nullopt;
  std::optional<uint64_t> size;
  for (int column = 0; column < kMaxColumns && pos < line.size(); ++column) {
    if (size) {
      if (const auto date = parseUnixDate(line, pos, now)) {
        return unixEntry(line, *type, *size, *date);
      }
    }
    size = ParseUnsignedDecimal(nextToken(line, &pos));
  }
  return std::nullopt;
}

// ---- DOS / IIS ----

// "MM-DD-YY", "MM-DD-YYYY" (also with "/") and the ISO order "YYYY-MM-DD" (also with "/", as
// Windows prints in Japanese and Chinese locales); two-digit years below 70 are 20xx.
bool parseDosDate(std::string_view text, CivilTime* t) {
  const bool yearFirst = text.size() == 10 && (text[4] == '-' || text[4] == '/');
  if (yearFirst) {
    if (text[7] != text[4]) return false;
    t->year = parseSmall(text.substr(0, 4));
    t->month = parseSmall(text.substr(5, 2));
    t->day = parseSmall(text.substr(8, 2));
  } else {
    if ((text.size() != 8 && text.size() != 10) || (text[2] != '-' && text[2] != '/') ||
        text[5] != text[2]) {
      return false;
    }
    t->month = parseSmall(text.substr(0, 2));
    t->day = parseSmall(text.substr(3, 2));
    t->year = parseSmall(text.substr(6));
    if (text.size() == 8 && t->year >= 0) t->year += t->year < 70 ? 2000 : 1900;
  }
  return t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31 && t->year >= 0;
}

// "09:05AM", "09:05 AM" (the blank taken from `*pos` on) or 24-hour "14:05".
bool parseDosClock(std::string_view text, std::string_view line, size_t* pos, CivilTime* t) {
  std::string_view suffix;
  if (text.size() > 2 && (EqualsIgnoringAsciiCase(text.substr(text.size() - 2), "am") ||
                          EqualsIgnoringAsciiCase(text.substr(text.size() - 2), "pm"))) {
    suffix = text.substr(text.size() - 2);
    text.remove_suffix(2);
  } else {
    size_t after = *pos;
    const std::string_view next = nextToken(line, &after);
    if (EqualsIgnoringAsciiCase(next, "am") || EqualsIgnoringAsciiCase(next, "pm")) {
      suffix = next;
      *pos = after;
    }
  }
  if (!parseClock(text, &t->hour, &t->minute)) return false;
  if (suffix.empty()) return true;
  if (t->hour < 1 || t->hour > 12) return false;
  t->hour = t->hour % 12 + (LowerAscii(suffix[0]) == 'p' ? 12 : 0);
  return true;
}

// "1234567" or with thousands separators as Windows prints them, "1,234,567".
std::optional<uint64_t> parseDosSize(std::string_view text) {
  const size_t first = text.find(',');
  if (first == std::string_view::npos) return ParseUnsignedDecimal(text);
  if (first == 0 || first > 3 || (text.size() - first) % 4 != 0) return std::nullopt;
  std::string digits(text.substr(0, first));
  for (size_t i = first; i < text.size(); i += 4) {
    if (text[i] != ',') return std::nullopt;
    digits += text.substr(i + 1, 3);
  }
  return ParseUnsignedDecimal(digits);
}

std::optional<ListingEntry> parseDosLine(std::string_view line) {
  size_t pos = 0;
  CivilTime t;
  if (!parseDosDate(nextToken(line, &pos), &t)) return std::nullopt;
  const std::string_view clock = nextToken(line, &pos);
  if (!parseDosClock(clock, line, &pos, &t)) return std::nullopt;
  const auto time = FileTimeFromCivil(t);
  if (!time) return std::nullopt;
  const std::string_view sizeColumn = nextToken(line, &pos);
  ListingEntry entry;
  if (sizeColumn == "<DIR>") {
    // IIS and Windows put ten blanks after "<DIR>": more belong to the name.
    entry.isDirectory = true;
    if (pos >= line.size() || line[pos] != ' ') return std::nullopt;
    for (int i = 0; i < 10 && pos < line.size() && line[pos] == ' '; ++i) ++pos;
  } else if (const auto size = parseDosSize(sizeColumn)) {
    // The size is right-aligned: one blank, then the name.
    entry.size = *size;
    if (pos >= line.size() || line[pos] != ' ') return std::nullopt;
    ++pos;
  } else {
    return std::nullopt;
  }
  entry.name = std::string(line.substr(pos));
  if (!acceptableName(entry.name)) return std::nullopt;
  entry.lastWrite = *time;
  return entry;
}

}  // namespace

std::optional<ListingEntry> ParseMlsdLine(std::string_view line) {
  // "fact=value;" repeated, one blank, the name. A value may hold blanks (some servers print
  // group names such as "domain users"), so the facts end at the first "; ", not at a blank.
  ListingEntry entry;
  size_t pos = 0;
  while (pos < line.size() && line[pos] != ' ') {
    const size_t semicolon = line.find(';', pos);
    if (semicolon == std::string_view::npos) return std::nullopt;
    if (!applyMlsdFact(line.substr(pos, semicolon - pos), &entry)) return std::nullopt;
    pos = semicolon + 1;
  }
  if (pos >= line.size()) return std::nullopt;
  entry.name = std::string(line.substr(pos + 1));
  if (!acceptableName(entry.name)) return std::nullopt;
  return entry;
}

std::optional<ListingEntry> ParseListLine(std::string_view line, const CivilTime& now) {
  if (auto entry = parseUnixLine(line, now)) return entry;
  return parseDosLine(line);
}

}  // namespace inet
