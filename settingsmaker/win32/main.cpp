// Quillprep.exe: the settings maker on Windows. Shows the settings editor, which reads
// "Quillpst.dat" back from the folder of this executable and writes it into the current working
// directory. --help and --version print (to a redirected standard output) and end.
#include <iostream>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Win32Dialogs.h"
#include "platform/files/Files.h"
#include "platform/winui/WinUi.h"
#include "settingsmaker/ProgramInfo.h"
#include "settingsmaker/win32/Forms.h"

int main(int argc, char** argv) {
  if (const auto done =
          cmdline::HandleArguments(argc, argv, QuillprepInfo(), std::cout, std::cerr)) {
    return *done;
  }
  dialogs::Win32Dialogs boxes;
  Form1 form(boxes, files::ExecutableFolder());
  ShowWindow(form.hwnd(), SW_SHOW);
  return winui::RunMessageLoop();
}
