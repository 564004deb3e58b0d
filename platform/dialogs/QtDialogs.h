// Dialogs shown as real modal Qt boxes: QMessageBox for messages and a small one-line input
// dialog. Needs a QApplication; each box is parented to the active window, if there is one.
#pragma once

#include <string>

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

class QtDialogs : public Dialogs {
 public:
  // A QMessageBox with the title, the text as plain text (CR LF shown as a line break), the
  // buttons asked for, captioned "OK", "キャンセル", "はい", "いいえ" in every locale, the icon
  // asked for, and the first button as default. Blocks until the user answers; see
  // Dialogs::MessageBox for closing without a button.
  BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title, Buttons buttons,
                       Icon icon) override;

  // A dialog with the prompt (plain text), a line edit holding `preset` (selected), and "OK"
  // (default) and "キャンセル". Returns the edit's text on OK; the empty text on Cancel, Escape
  // or closing the dialog.
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;
};

}  // namespace dialogs
