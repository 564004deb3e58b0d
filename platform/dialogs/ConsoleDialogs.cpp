#include "platform/dialogs/ConsoleDialogs.h"

#include <QString>

#include "platform/dialogs/BoxText.h"

namespace dialogs {

ConsoleDialogs::ConsoleDialogs(std::ostream& out) : m_out(out) {}

void ConsoleDialogs::writeRecord(const std::u16string& title, const std::u16string& text) {
  QByteArray line = QString::fromStdU16String(title + u": " + withLineFeeds(text)).toUtf8();
  line += '\n';
  m_out.write(line.constData(), line.size());
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
