#include "platform/dialogs/ConsoleDialogs.h"

#include "platform/dialogs/BoxText.h"
#include "platform/files/Files.h"

namespace dialogs {

ConsoleDialogs::ConsoleDialogs(std::ostream& out) : m_out(out) {}

void ConsoleDialogs::writeRecord(const std::u16string& title, const std::u16string& text) {
  // Standard error takes UTF-8, as the file system does.
  std::string line = files::ToFileSystemPath(title + u": " + withLineFeeds(text));
  line += '\n';
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
