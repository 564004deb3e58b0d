// Quillpost: the one-shot uploader. Where someone can answer a box, the start-up runs in its
// window with the system's boxes; otherwise (Linux: no display, or one that cannot be reached;
// Windows: no visible window station, or standard error redirected) no window is made, every
// box goes to standard error and is answered with its default. The exit status says how the
// upload ended.
#include <iostream>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/Clock.h"
#include "uploader/UnattendedRun.h"
#include "uploader/WindowStart.h"

int main(int argc, char** argv) {
  if (dialogs::HasDisplay()) {
    const int status = RunInWindow(argc, argv);
    if (status >= 0) return status;
  }
  dialogs::ConsoleDialogs boxes(std::cerr);
  return static_cast<int>(RunUnattended(boxes, {files::ExecutableFolder(), SystemLocalTime}));
}
