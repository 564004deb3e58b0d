// The Win32 window, part of Quillpost.exe.
#include "platform/dialogs/Win32Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/WindowStart.h"
#include "uploader/win32/fFTPTest.h"

int RunInWindow(int, char**) {
  dialogs::Win32Dialogs boxes;
  fFTPTest form(boxes, files::ExecutableFolder(), SystemLocalTime);
  return static_cast<int>(form.Form_Load());
}
