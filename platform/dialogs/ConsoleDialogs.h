// Dialogs for running without a display: each box is written as one record, one line, to a
// stream (standard error in the programs) and answered at once, as an unattended run needs.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "platform/dialogs/Dialogs.h"

namespace dialogs {

// The current local time as ISO 8601 with its offset from UTC: "2026-12-07T09:05:03+09:00".
std::string LocalTimeStamp();

// `text` as one line for a log: each run of line breaks (CR, LF, CR LF, and the Unicode line
// and paragraph separators) inside it becomes " / ", line breaks at either end are dropped,
// and every other control character becomes "?", so that a server's reply cannot split a
// record or send terminal escapes. UTF-8, like the file system's names.
std::string OneLine(const std::u16string& text);

// The record of one box: "<stamp> <title>: <OneLine(text)>", without a line end.
std::string BoxRecord(const std::string& stamp, const std::u16string& title,
                      const std::u16string& text);

class ConsoleDialogs : public Dialogs {
 public:
  // Writes to `out`, which must outlive this object; `stamp` gives each record's time.
  explicit ConsoleDialogs(std::ostream& out, std::function<std::string()> stamp = LocalTimeStamp);

  // Writes the record "<stamp> <title>: <OneLine(text)>" and a line end, then answers with the
  // default button: Ok for Ok and OkCancel, Yes for YesNo and YesNoCancel.
  BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title, Buttons buttons,
                       Icon icon) override;

  // Writes the record of the prompt as MessageBox does, then answers OK: returns `preset`.
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  void writeRecord(const std::u16string& title, const std::u16string& text);

  std::ostream& m_out;
  std::function<std::string()> m_stamp;
};

}  // namespace dialogs
