// The Qt window half, from the library beside the executable.
#include <dlfcn.h>

#include <string>

#include "platform/files/Files.h"
#include "uploader/WindowRun.h"
#include "uploader/WindowStart.h"

int RunInWindow(int argc, char** argv) {
  const std::string library =
      files::ToFileSystemPath(files::ExecutableFolder()) + "/" + kWindowLibraryName;
  void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (handle == nullptr) return -1;
  auto run = reinterpret_cast<WindowRunFunction>(dlsym(handle, kWindowRunSymbol));
  // The library stays loaded until the process ends: Qt keeps state in it up to exit.
  return run == nullptr ? -1 : run(argc, argv);
}
