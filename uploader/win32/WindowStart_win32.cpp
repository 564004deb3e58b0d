// The Win32 window, part of Quillpost.exe; as the Qt window half does, it tells a stored file
// on standard output (when there is one) and ends with status 5 after an error box.
#include <iostream>

#include "platform/dialogs/Win32Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/ErrorBoxWatch.h"
#include "uploader/StoredRecord.h"
#include "uploader/WindowStart.h"
#include "uploader/win32/ListTestHook.h"
#include "uploader/win32/fFTPTest.h"

int RunInWindow(int, char**) {
  dialogs::Win32Dialogs win32Boxes;
  ErrorBoxWatch boxes(win32Boxes);
  fFTPTest form(boxes, files::ExecutableFolder(), SystemLocalTime,
                [](const StoredUpload& stored) { WriteStoredRecord(std::cout, stored); });
  form.setBeforeUnload(ListTestHookFromEnvironment());
  return static_cast<int>(boxes.finalStatus(form.Form_Load()));
}
