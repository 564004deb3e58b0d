// The log a scheduled run keeps with --log FILE: every record of the run (each box as its one
// line, each stored file's line) also appended to FILE, UTF-8, one line each, in the same
// words. The file is made readable by its owner only; past kMaxLogBytes it is renamed to
// FILE.1 (replacing an older one) and a new one begun, so it never grows without bound. A log
// that cannot be written is said once on the error stream and never fails the run.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/dialogs/Dialogs.h"

inline constexpr uint64_t kMaxLogBytes = 1 << 20;

class RecordLog {
 public:
  // `path` empty: no log, every write does nothing. `err` must outlive the log.
  RecordLog(std::u16string path, std::ostream& err);
  RecordLog(const RecordLog&) = delete;
  RecordLog& operator=(const RecordLog&) = delete;

  // Appends `record` (one line, without its line end).
  void write(const std::string& record);

 private:
  void complain(int error);

  std::string m_path;  // as the file system names it
  std::ostream& m_err;
  bool m_failed = false;  // said once; nothing more is tried
};

// Boxes that are also written to a log: each box's record goes to `log` as it is asked, then
// the box to `inner`.
class LoggedDialogs : public dialogs::Dialogs {
 public:
  LoggedDialogs(dialogs::Dialogs& inner, RecordLog& log) : m_inner(inner), m_log(log) {}
  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                                dialogs::Buttons buttons, dialogs::Icon icon) override;
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  dialogs::Dialogs& m_inner;
  RecordLog& m_log;
};
