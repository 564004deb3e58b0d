// Quillpost: the one-shot uploader. With a display, the start-up runs in its window with Qt
// boxes; without one (or when the display cannot be reached) no window toolkit is loaded at
// all, every box goes to standard error as one record and is answered with its default. A
// successful upload writes one record on standard output. The exit status says how the upload
// ended.
#include <dlfcn.h>

#include <iostream>
#include <string>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/UnattendedRun.h"
#include "uploader/WindowRun.h"

namespace {

cmdline::ProgramInfo programInfo() {
  const std::string settings =
      files::ToFileSystemPath(files::ExecutableFolder()) + "/" + "Quillpst.dat";
  return {"Quillpost", QP_VERSION,
          "Uploads the file named in the settings file\n  " + settings +
              "\nto the FTP server named there (Quillprep makes the settings file).\n"
              "Without a display each message goes to standard error as one line, and a\n"
              "successful upload writes one line on standard output. Exit status: 0 stored,\n"
              "1 settings file missing or unusable, 2 local file missing, 3 no connection,\n"
              "4 upload failed, 5 stored after an error message, 64 unknown argument.\n"};
}

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
  if (const auto done = cmdline::HandleArguments(argc, argv, programInfo(), std::cout, std::cerr)) {
    return *done;
  }
  if (dialogs::HasDisplay()) {
    const int status = runInWindow(argc, argv);
    if (status >= 0) return status;
  }
  return RunUnattendedProgram();
}
