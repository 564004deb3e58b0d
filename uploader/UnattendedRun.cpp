#include "uploader/UnattendedRun.h"

#include <iostream>
#include <memory>
#include <optional>

#include "platform/cmdline/Terminal.h"
#include "platform/dialogs/ConsoleDialogs.h"
#include "uploader/TerminalMeter.h"
#include "uploader/UnattendedControls.h"
#include "uploader/WindowCommands.h"

int RunUnattendedProgram(const RunOptions& options, inet::InternetApi* internetApi,
                         const RetryTiming& timing) {
  // A person at a terminal sees the upload move; a log, a pipe or cron sees the records only.
  std::optional<TerminalLine> terminal;
  if (cmdline::StandardErrorIsTerminal()) terminal.emplace(std::cerr);
  RecordLog log(options.logFile, std::cerr);
  dialogs::ConsoleDialogs console(std::cerr);
  // The console's boxes are records already: nothing to hold back for a try to come.
  RunDialogs boxes(console, log, std::cerr, false);
  ExitStatus status = ExitStatus::Done;
  {
    const std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, internetApi);
    UnattendedControls controls;
    StartUpEnvironment environment = ProgramEnvironment(options, log, std::cout);
    if (terminal) environment.progress = TerminalMeterFactory(*terminal);
    status = RunScheduled(controls, *clsFtp, boxes, environment, options, timing);
  }  // the session closes its search, its connection and its root handle
  return static_cast<int>(status);
}
