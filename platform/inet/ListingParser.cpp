#include "platform/inet/ListingParser.h"

#include <array>

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

struct Token {
  std::string_view text;
  size_t end = 0;  // offset just past the token in the line
};

// A decimal number of any length that fits in 64 bits.
std::optional<uint64_t> parseUnsigned(std::string_view text) {
  if (!AllAsciiDigits(text)) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

int parseSmall(std::string_view text) {
  const auto value = parseUnsigned(text);
  return value && *value <= 100000 ? static_cast<int>(*value) : -1;
}

std::vector<Token> splitTokens(std::string_view line, size_t maxTokens) {
  std::vector<Token> tokens;
  size_t pos = 0;
  while (tokens.size() < maxTokens) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    if (pos >= line.size()) break;
    const size_t start = pos;
    while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') ++pos;
    tokens.push_back({line.substr(start, pos - start), pos});
  }
  return tokens;
}

bool acceptableName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

FileTime fileTimeOrZero(const CivilTime& time) {
  return FileTimeFromCivil(time).value_or(FileTime{});
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
  return fileTimeOrZero(t);
}

// ---- Unix ls -l ----

int monthNumber(std::string_view text) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  for (size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsIgnoringAsciiCase(text, kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool isUnixMode(std::string_view text) {
  if (text.size() < 10 || std::string_view("-dlbcpsD").find(text[0]) == std::string_view::npos) {
    return false;
  }
  for (size_t i = 1; i < 10; ++i) {
    if (std::string_view("rwxsStTlL-").find(text[i]) == std::string_view::npos) return false;
  }
  return true;
}

// "HH:MM" into hour and minute.
bool parseClock(std::string_view text, int* hour, int* minute) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() - colon != 3) {
    return false;
  }
  *hour = parseSmall(text.substr(0, colon));
  *minute = parseSmall(text.substr(colon + 1));
  return *hour >= 0 && *hour <= 23 && *minute >= 0 && *minute <= 59;
}

// A year-less date lies in the past: this year, or last year when this year's date would be
// more than a day ahead of `now`. Feb 29 walks back to a leap year.
int yearForRecentDate(int month, int day, int hour, int minute, const CivilTime& now) {
  const int64_t nowMinutes =
      DaysFromCivil(now.year, now.month, now.day) * 1440 + now.hour * 60 + now.minute;
  int year = now.year;
  const int64_t candidate = DaysFromCivil(year, month, day) * 1440 + hour * 60 + minute;
  if (candidate > nowMinutes + 1440) --year;
  for (int i = 0; i < 8; ++i, --year) {
    CivilTime probe;
    probe.year = year;
    probe.month = month;
    probe.day = day;
    if (IsValidCivilTime(probe)) return year;
  }
  return year;
}

// The date columns "Mon DD YYYY" or "Mon DD HH:MM".
std::optional<FileTime> parseUnixDate(const Token* date, const CivilTime& now) {
  CivilTime t;
  t.month = monthNumber(date[0].text);
  t.day = parseSmall(date[1].text);
  if (t.month == 0 || t.day < 1 || t.day > 31) return std::nullopt;
  if (date[2].text.size() == 4 && AllAsciiDigits(date[2].text)) {
    t.year = parseSmall(date[2].text);
  } else if (parseClock(date[2].text, &t.hour, &t.minute)) {
    t.year = yearForRecentDate(t.month, t.day, t.hour, t.minute, now);
  } else {
    return std::nullopt;
  }
  return FileTimeFromCivil(t);
}

std::optional<ListingEntry> parseUnixLine(std::string_view line, const CivilTime& now) {
  // mode, links, owner, group, size, month, day, year-or-time: the group (and with some
  // servers the link count) may be missing, so the month column is searched for.
  const std::vector<Token> tokens = splitTokens(line, 9);
  if (tokens.size() < 5 || !isUnixMode(tokens[0].text)) return std::nullopt;
  for (size_t i = 2; i + 2 < tokens.size(); ++i) {
    const auto size = parseUnsigned(tokens[i - 1].text);
    if (!size || monthNumber(tokens[i].text) == 0) continue;
    const auto time = parseUnixDate(&tokens[i], now);
    if (!time) continue;
    // ls right-aligns the year under the time, so exactly one space precedes the name.
    const size_t nameStart = tokens[i + 2].end + 1;
    if (nameStart >= line.size()) return std::nullopt;
    ListingEntry entry;
    entry.name = std::string(line.substr(nameStart));
    if (tokens[0].text[0] == 'l') {
      const size_t arrow = entry.name.find(" -> ");
      if (arrow != std::string::npos) entry.name.resize(arrow);
    }
    if (!acceptableName(entry.name)) return std::nullopt;
    entry.size = *size;
    entry.lastWrite = *time;
    entry.isDirectory = tokens[0].text[0] == 'd';
    return entry;
  }
  return std::nullopt;
}

// ---- DOS / IIS ----

// "MM-DD-YY" or "MM-DD-YYYY" (also with "/"); two-digit years below 70 are 20xx.
bool parseDosDate(std::string_view text, CivilTime* t) {
  if ((text.size() != 8 && text.size() != 10) || (text[2] != '-' && text[2] != '/') ||
      text[5] != text[2]) {
    return false;
  }
  t->month = parseSmall(text.substr(0, 2));
  t->day = parseSmall(text.substr(3, 2));
  t->year = parseSmall(text.substr(6));
  if (t->month < 1 || t->month > 12 || t->day < 1 || t->day > 31 || t->year < 0) return false;
  if (text.size() == 8) t->year += t->year < 70 ? 2000 : 1900;
  return true;
}

// "09:05AM", "12:30PM" or 24-hour "14:05".
bool parseDosClock(std::string_view text, CivilTime* t) {
  std::string_view suffix;
  if (text.size() > 2 && (EqualsIgnoringAsciiCase(text.substr(text.size() - 2), "am") ||
                          EqualsIgnoringAsciiCase(text.substr(text.size() - 2), "pm"))) {
    suffix = text.substr(text.size() - 2);
    text.remove_suffix(2);
  }
  if (!parseClock(text, &t->hour, &t->minute)) return false;
  if (suffix.empty()) return true;
  if (t->hour < 1 || t->hour > 12) return false;
  t->hour = t->hour % 12 + (LowerAscii(suffix[0]) == 'p' ? 12 : 0);
  return true;
}

std::optional<ListingEntry> parseDosLine(std::string_view line) {
  const std::vector<Token> tokens = splitTokens(line, 3);
  CivilTime t;
  if (tokens.size() < 3 || !parseDosDate(tokens[0].text, &t) ||
      !parseDosClock(tokens[1].text, &t)) {
    return std::nullopt;
  }
  ListingEntry entry;
  if (tokens[2].text == "<DIR>") {
    entry.isDirectory = true;
  } else if (const auto size = parseUnsigned(tokens[2].text)) {
    entry.size = *size;
  } else {
    return std::nullopt;
  }
  size_t nameStart = tokens[2].end;
  while (nameStart < line.size() && line[nameStart] == ' ') ++nameStart;
  entry.name = std::string(line.substr(nameStart));
  if (!acceptableName(entry.name)) return std::nullopt;
  entry.lastWrite = fileTimeOrZero(t);
  return entry;
}

}  // namespace

std::optional<ListingEntry> ParseMlsdLine(std::string_view line) {
  // The facts end at the first space; everything after that one space is the name.
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  ListingEntry entry;
  entry.name = std::string(line.substr(space + 1));
  if (!acceptableName(entry.name)) return std::nullopt;
  std::string_view facts = line.substr(0, space);
  while (!facts.empty()) {
    const size_t semicolon = facts.find(';');
    const std::string_view fact = facts.substr(0, semicolon);
    facts = semicolon == std::string_view::npos ? std::string_view() : facts.substr(semicolon + 1);
    const size_t equals = fact.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = fact.substr(0, equals);
    const std::string_view value = fact.substr(equals + 1);
    if (EqualsIgnoringAsciiCase(key, "type")) {
      if (EqualsIgnoringAsciiCase(value, "cdir") || EqualsIgnoringAsciiCase(value, "pdir"))
        return std::nullopt;
      entry.isDirectory = EqualsIgnoringAsciiCase(value, "dir");
    } else if (EqualsIgnoringAsciiCase(key, "size") || EqualsIgnoringAsciiCase(key, "sizd")) {
      entry.size = parseUnsigned(value).value_or(0);
    } else if (EqualsIgnoringAsciiCase(key, "modify")) {
      entry.lastWrite = parseMlsdTime(value);
    }
  }
  return entry;
}

std::optional<ListingEntry> ParseListLine(std::string_view line, const CivilTime& now) {
  if (auto entry = parseUnixLine(line, now)) return entry;
  return parseDosLine(line);
}

std::vector<ListingEntry> ParseListing(std::string_view listing, ListingFormat format,
                                       const CivilTime& now) {
  std::vector<ListingEntry> entries;
  while (!listing.empty()) {
    const size_t newline = listing.find('\n');
    std::string_view line = listing.substr(0, newline);
    listing = newline == std::string_view::npos ? std::string_view() : listing.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto entry = format == ListingFormat::Mlsd ? ParseMlsdLine(line) : ParseListLine(line, now);
    if (entry) entries.push_back(std::move(entry.value()));
  }
  return entries;
}

}  // namespace inet
