// Quillpost: the one-shot uploader. Where someone can answer a box, the start-up runs in its
// window with the system's boxes; otherwise (Linux: no display, or one that cannot be reached;
// Windows: no visible window station, or standard error redirected) no window is made, every
// box goes to standard error as one record and is answered with its default. A successful
// upload writes one record on standard output. The exit status says how the upload ended.
#include <iostream>
#include <string>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/files/Files.h"
#include "uploader/UnattendedRun.h"
#include "uploader/WindowStart.h"

namespace {

cmdline::ProgramInfo programInfo() {
  const std::string settings =
      files::ToFileSystemPath(files::ExecutableFolder() + files::PathSeparator() + u"Quillpst.dat");
  return {"Quillpost", QP_VERSION,
          "Uploads the file named in the settings file\n  " + settings +
              "\nto the FTP server named there (Quillprep makes the settings file).\n"
              "Without a display each message goes to standard error as one line, and a\n"
              "successful upload writes one line on standard output. Exit status: 0 stored,\n"
              "1 settings file missing or unusable, 2 local file missing, 3 no connection,\n"
              "4 upload failed, 5 stored after an error message, 64 unknown argument.\n"};
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto done = cmdline::HandleArguments(argc, argv, programInfo(), std::cout, std::cerr)) {
    return *done;
  }
  if (dialogs::HasDisplay()) {
    const int status = RunInWindow(argc, argv);
    if (status >= 0) return status;
  }
  return RunUnattendedProgram();
}
