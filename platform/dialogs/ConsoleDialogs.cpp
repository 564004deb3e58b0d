#include "platform/dialogs/ConsoleDialogs.h"

#include <cstdio>
#include <utility>

#include "platform/clock/DateTime.h"
#include "platform/dialogs/BoxText.h"
#include "platform/files/Files.h"

namespace dialogs {
namespace {

bool isLineBreak(char16_t c) { return c == u'\r' || c == u'\n' || c == 0x2028 || c == 0x2029; }

bool isControl(char16_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

}  // namespace

std::string LocalTimeStamp() {
  const ZonedDateTime now = SystemZonedTime();
  const DateTime& t = now.local;
  const int offset = now.utcOffsetMinutes < 0 ? -now.utcOffsetMinutes : now.utcOffsetMinutes;
  char text[48] = {};
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, now.utcOffsetMinutes < 0 ? '-' : '+',
                offset / 60, offset % 60);
  return text;
}

std::string OneLine(const std::u16string& text) {
  std::u16string line;
  line.reserve(text.size());
  bool pendingBreak = false;
  for (char16_t c : text) {
    if (isLineBreak(c)) {
      pendingBreak = !line.empty();
      continue;
    }
    if (pendingBreak) line += u" / ";
    pendingBreak = false;
    line += c == u'\t' || !isControl(c) ? c : u'?';
  }
  return files::ToFileSystemPath(line);
}

ConsoleDialogs::ConsoleDialogs(std::ostream& out, std::function<std::string()> stamp)
    : m_out(out), m_stamp(std::move(stamp)) {}

std::string BoxRecord(const std::string& stamp, const std::u16string& title,
                      const std::u16string& text) {
  return stamp + " " + OneLine(title) + ": " + OneLine(text);
}

void ConsoleDialogs::writeRecord(const std::u16string& title, const std::u16string& text) {
  const std::string line = BoxRecord(m_stamp(), title, text) + "\n";
  m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
  m_out.flush();
}

BoxAnswer ConsoleDialogs::MessageBox(const std::u16string& text, const std::u16string& title,
                                     Buttons buttons, Icon) {
  writeRecord(title, text);
  return defaultAnswer(buttons);
}

std::u16string ConsoleDialogs::InputBox(const std::u16string& prompt, const std::u16string& title,
                                        const std::u16string& preset) {
  writeRecord(title, prompt);
  return preset;
}

}  // namespace dialogs
