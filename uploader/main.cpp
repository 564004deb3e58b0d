// Quillpost: the one-shot uploader. With a display, the start-up runs in its window with Qt
// boxes; without one (or when the display cannot be reached) no window toolkit is loaded at
// all, every box goes to standard error and is answered with its default. The exit status
// says how the upload ended.
#include <dlfcn.h>

#include <iostream>
#include <string>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/Clock.h"
#include "uploader/UnattendedRun.h"
#include "uploader/WindowRun.h"

namespace {

// The windowed run from the library beside the executable; -1 when it cannot be loaded or no
// window system came up.
int runInWindow(int argc, char** argv) {
  const std::string library =
      files::ToFileSystemPath(files::ExecutableFolder()) + "/" + kWindowLibraryName;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) return -1;
  auto run = reinterpret_cast<WindowRunFunction>(dlsym(handle, kWindowRunSymbol));
  // The library stays loaded until the process ends: Qt keeps state in it up to exit.
  return run == nullptr ? -1 : run(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  if (dialogs::HasDisplay()) {
    const int status = runInWindow(argc, argv);
    if (status >= 0) return status;
  }
  dialogs::ConsoleDialogs boxes(std::cerr);
  return static_cast<int>(RunUnattended(boxes, {files::ExecutableFolder(), SystemLocalTime}));
}
