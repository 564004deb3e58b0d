// On Windows someone can answer a box when the process's window station is visible (a
// scheduled task that runs whether the user is logged on or not has none: a box there would
// wait for ever unseen) and its standard error goes to no file or pipe (then the caller wants
// the records there).
#include "platform/dialogs/Dialogs.h"
#include "platform/winui/Win32.h"

namespace dialogs {
namespace {

bool windowStationVisible() {
  HWINSTA station = GetProcessWindowStation();
  USEROBJECTFLAGS flags{};
  if (station == nullptr ||
      !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) {
    return false;
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool standardErrorRedirected() {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return false;
  const DWORD type = GetFileType(error);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

bool HasDisplay() { return windowStationVisible() && !standardErrorRedirected(); }

}  // namespace dialogs
