// Dialogs for running without a display: each box is written as one record to a stream
// (standard error in the programs) and answered at once, as an unattended run needs.
#pragma once

#include <ostream>
#include <string>

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

class ConsoleDialogs : public Dialogs {
 public:
  // Writes to `out`, which must outlive this object.
  explicit ConsoleDialogs(std::ostream& out);

  // Writes title, ": ", the text with CR LF turned into LF, and a line end (UTF-8), then
  // answers with the default button: Ok for Ok and OkCancel, Yes for YesNo and YesNoCancel.
  BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title, Buttons buttons,
                       Icon icon) override;

  // Writes title, ": ", the prompt, and a line end, then answers OK: returns `preset`.
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  void writeRecord(const std::u16string& title, const std::u16string& text);

  std::ostream& m_out;
};

}  // namespace dialogs
