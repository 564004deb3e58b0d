#include "uploader/ErrorBoxWatch.h"

ExitStatus ErrorBoxWatch::finalStatus(ExitStatus status) const {
  return status == ExitStatus::Done && m_errorShown ? ExitStatus::DoneAfterError : status;
}

dialogs::BoxAnswer ErrorBoxWatch::MessageBox(const std::u16string& text,
                                             const std::u16string& title, dialogs::Buttons buttons,
                                             dialogs::Icon icon) {
  if (icon == dialogs::Icon::Critical) m_errorShown = true;
  return m_shown.MessageBox(text, title, buttons, icon);
}

std::u16string ErrorBoxWatch::InputBox(const std::u16string& prompt, const std::u16string& title,
                                       const std::u16string& preset) {
  return m_shown.InputBox(prompt, title, preset);
}
