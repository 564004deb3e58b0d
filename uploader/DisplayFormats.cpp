#include "uploader/DisplayFormats.h"

#include <cmath>
#include <cstdio>

namespace {

std::u16string ascii(const char* text) {
  std::u16string out;
  for (const char* p = text; *p != '\0'; ++p) out += static_cast<char16_t>(*p);
  return out;
}

}  // namespace

std::u16string FormatFileSize(double bytes) {
  if (!std::isfinite(bytes)) return u"0";
  char digits[400];
  std::snprintf(digits, sizeof digits, "%.0f", std::fabs(bytes));
  const std::u16string plain = ascii(digits);
  std::u16string grouped;
  for (size_t i = 0; i < plain.size(); ++i) {
    if (i > 0 && (plain.size() - i) % 3 == 0) grouped += u',';
    grouped += plain[i];
  }
  // "-0" would be a size nobody can read; a negative value rounding to zero shows as 0.
  if (bytes < 0 && grouped != u"0") grouped.insert(grouped.begin(), u'-');
  return grouped;
}

std::u16string FormatListDate(const DateTime& date) {
  if (date.isZero()) return u"1899/12/30 00:00";
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", date.year, date.month, date.day,
                date.hour, date.minute);
  return ascii(text);
}

std::u16string FormatGeneralDateTime(const DateTime& when) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", when.year, when.month, when.day);
  std::u16string out = ascii(text);
  if (when.hour == 0 && when.minute == 0 && when.second == 0) return out;
  std::snprintf(text, sizeof text, " %d:%02d:%02d", when.hour, when.minute, when.second);
  return out + ascii(text);
}
