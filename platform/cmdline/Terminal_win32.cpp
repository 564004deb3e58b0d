#include <windows.h>

#include "platform/cmdline/Terminal.h"

namespace cmdline {

// A console answers GetConsoleMode; a redirected handle (file, pipe, NUL) does not. NUL is a
// character device too, so the file type alone would take it for a terminal.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace cmdline
