#include "uploader/UnattendedRun.h"

#include <iostream>
#include <memory>

#include "platform/dialogs/ConsoleDialogs.h"
#include "uploader/UnattendedControls.h"
#include "uploader/WindowCommands.h"

int RunUnattendedProgram(const RunOptions& options, inet::InternetApi* internetApi,
                         const RetryTiming& timing) {
  RecordLog log(options.logFile, std::cerr);
  dialogs::ConsoleDialogs console(std::cerr);
  // The console's boxes are records already: nothing to hold back for a try to come.
  RunDialogs boxes(console, log, std::cerr, false);
  ExitStatus status = ExitStatus::Done;
  {
    const std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, internetApi);
    UnattendedControls controls;
    status = RunScheduled(controls, *clsFtp, boxes, ProgramEnvironment(options, log, std::cout),
                          options, timing);
  }  // the session closes its search, its connection and its root handle
  return static_cast<int>(status);
}
