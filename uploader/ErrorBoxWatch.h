// Tells whether a run showed an error box: the boxes of a run pass through it, and a run that
// stored its file after an error box ends with its own exit status, so that a scheduler can
// tell it from a clean one.
#pragma once

#include <string>

#include "platform/dialogs/Dialogs.h"
#include "uploader/StartUp.h"

class ErrorBoxWatch : public dialogs::Dialogs {
 public:
  // Passes every box to `shown`, which must outlive this object.
  explicit ErrorBoxWatch(dialogs::Dialogs& shown) : m_shown(shown) {}

  // True once a box with the critical icon (an FTPFrr event) was shown.
  bool errorShown() const { return m_errorShown; }

  // `status`, except that Done after an error box becomes DoneAfterError.
  ExitStatus finalStatus(ExitStatus status) const;

  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                                dialogs::Buttons buttons, dialogs::Icon icon) override;
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  dialogs::Dialogs& m_shown;
  bool m_errorShown = false;
};
