// The start-up as a scheduler runs it: tried again after a transient failure (--retry), with
// waits of 1 s, 2 s, 4 s ... up to 60 s and no new try after --retry-max-time; every box also
// in the log (--log); and, where a person would see them, the boxes of a try that will be tried
// again held back and written as records instead, so that only the last failure is a box.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "uploader/ErrorBoxWatch.h"
#include "uploader/RecordLog.h"
#include "uploader/RunOptions.h"
#include "uploader/StartUp.h"

// The boxes of a run, routed try by try. Every box goes to the log; then, while a try may be
// followed by another and `shown` is a person's screen, it is held (answered with its default);
// otherwise it goes to `shown`. At the end of a try the held boxes are written as records to
// `records` (another try follows) or shown after all (it was the last).
class RunDialogs : public dialogs::Dialogs {
 public:
  // `shown`, `log` and `records` must outlive this object. `holdable`: `shown` is a screen
  // (with records of its own, as the console's, there is nothing to hold back).
  RunDialogs(dialogs::Dialogs& shown, RecordLog& log, std::ostream& records, bool holdable);
  ~RunDialogs() override;
  RunDialogs(const RunDialogs&) = delete;
  RunDialogs& operator=(const RunDialogs&) = delete;

  // Begins a try; `mayRetry`: another try may follow it.
  void beginTry(bool mayRetry);
  // Ends the try: `retried` says whether another follows.
  void endTry(bool retried);
  // The try's exit status, Done after an error box being DoneAfterError.
  ExitStatus finalStatus(ExitStatus status) const { return m_watch->finalStatus(status); }
  // Writes a record of the run's own (a retry to come) to the records and the log.
  void record(const std::u16string& text);

  dialogs::BoxAnswer MessageBox(const std::u16string& text, const std::u16string& title,
                                dialogs::Buttons buttons, dialogs::Icon icon) override;
  std::u16string InputBox(const std::u16string& prompt, const std::u16string& title,
                          const std::u16string& preset) override;

 private:
  struct HeldBox {
    std::string stamp;
    std::u16string text;
    std::u16string title;
    dialogs::Buttons buttons;
    dialogs::Icon icon;
  };
  class Target;

  dialogs::Dialogs& m_shown;
  RecordLog& m_log;
  std::ostream& m_records;
  bool m_holdable;
  bool m_holding = false;
  std::vector<HeldBox> m_held;
  std::unique_ptr<Target> m_target;        // where the try's boxes go
  std::unique_ptr<ErrorBoxWatch> m_watch;  // the try's error boxes
};

// How long the waits between tries are; tests shorten them.
struct RetryTiming {
  std::chrono::milliseconds firstWait{1000};
  std::chrono::milliseconds longestWait{60'000};
  std::function<void(std::chrono::milliseconds)> sleep = {};  // empty: the thread sleeps
};

// The environment of the program's run: the settings beside the executable, the system's
// clock, each stored file's record on `out` and in `log`, the upload mode of `options`.
StartUpEnvironment ProgramEnvironment(const RunOptions& options, RecordLog& log, std::ostream& out);

// Runs the start-up on `clsFtp` (whose FTPFrr boxes go to `dialogs`) as many times as `options`
// allow while it fails transiently (IsTransientFailure), closing the session between tries.
// The exit status is the last try's.
ExitStatus RunScheduled(WindowControls& controls, McWinFTP& clsFtp, RunDialogs& dialogs,
                        const StartUpEnvironment& environment, const RunOptions& options,
                        const RetryTiming& timing = {});
