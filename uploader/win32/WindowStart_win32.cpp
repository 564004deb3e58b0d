// The Win32 window, part of Quillpost.exe: the program's run with its options and retries, as
// the Qt window half has it; a stored file told on standard output (when there is one), status
// 5 after an error box; a long upload shows its progress window.
#include <iostream>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Win32Dialogs.h"
#include "uploader/ProgressWindow.h"
#include "uploader/RunOptions.h"
#include "uploader/ScheduledRun.h"
#include "uploader/WindowStart.h"
#include "uploader/win32/ListTestHook.h"
#include "uploader/win32/fFTPTest.h"
#include "uploader/win32/fProgress.h"

int RunInWindow(int argc, char** argv) {
  // The program checked the command line before it chose the window.
  const RunOptions options = ParseRunArguments(cmdline::ProgramArguments(argc, argv)).options;
  RecordLog log(options.logFile, std::cerr);
  dialogs::Win32Dialogs win32Boxes;
  RunDialogs boxes(win32Boxes, log, std::cerr, true);
  StartUpEnvironment environment = ProgramEnvironment(options, log, std::cout);
  environment.progress = WindowProgressFactory(OpenProgressWindow);
  fFTPTest form(boxes, [&](WindowControls& controls, McWinFTP& clsFtp) {
    return RunScheduled(controls, clsFtp, boxes, environment, options);
  });
  form.setBeforeUnload(ListTestHookFromEnvironment());
  return static_cast<int>(form.Form_Load());
}
