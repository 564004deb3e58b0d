// The real boxes on Windows: MessageBoxW, and a modal one-line input box of our own (the
// Win32 API has none). Both are owned by the active window of the thread, when there is one.
#pragma once

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

class Win32Dialogs : public Dialogs {
 public:
  // Buttons read "OK", "キャンセル", "はい", "いいえ" whatever the system's language.
  BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title, Buttons buttons,
                       Icon icon) override;
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;
};

}  // namespace dialogs
