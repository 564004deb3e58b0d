// The one-shot upload that runs while the window loads: read the settings, check the local
// file, connect, list, change directory, upload, report; and the exit status that tells a
// script how it ended. The window supplies its controls through WindowControls.
#pragma once

#include <string>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "uploader/Clock.h"
#include "uploader/WindowCommands.h"
#include "uploader/WindowControls.h"

// How the program ends; the value is the process's exit status.
enum class ExitStatus : int {
  Done = 0,              // stored on the server, or nothing to upload (empty local path)
  SettingsProblem = 1,   // settings file missing, short, unreadable, or password unrestorable
  LocalFileMissing = 2,  // the local file does not exist
  NotConnected = 3,      // the connection could not be made
  UploadFailed = 4,      // the upload failed
};

struct StartUpEnvironment {
  std::u16string settingsFolder;  // where Quillpst.dat is read from
  Clock clock;                    // the current local date and time
};

// Runs the start-up from reading the settings to the completion message, on `clsFtp` (fresh,
// from MakeSession), connecting as cmdOpen does but without its box, showing its messages through
// `dialogs`. Closing the window is the caller's last step. Never throws.
ExitStatus RunStartUp(WindowControls& controls, McWinFTP& clsFtp, dialogs::Dialogs& dialogs,
                      const StartUpEnvironment& environment);
