// Quillpost.exe: the one-shot uploader on Windows. Where someone can answer a box, the start-up
// runs in the Win32 window with the system's boxes; where no one can (no visible window
// station, as for a scheduled task that runs whether the user is logged on or not) or when
// standard error is redirected, every box goes to standard error as one record and is
// answered with its default. The exit status says how the upload ended.
#include <iostream>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/Win32Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/Clock.h"
#include "uploader/UnattendedRun.h"
#include "uploader/win32/fFTPTest.h"

int main() {
  if (dialogs::HasDisplay()) {
    dialogs::Win32Dialogs boxes;
    fFTPTest form(boxes, files::ExecutableFolder(), SystemLocalTime);
    return static_cast<int>(form.Form_Load());
  }
  dialogs::ConsoleDialogs boxes(std::cerr);
  return static_cast<int>(RunUnattended(boxes, {files::ExecutableFolder(), SystemLocalTime}));
}
