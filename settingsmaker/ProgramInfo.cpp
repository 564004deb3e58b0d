#include "settingsmaker/ProgramInfo.h"

#include <string>

#include "platform/files/Files.h"

cmdline::ProgramInfo QuillprepInfo() {
  const std::string file =
      files::ToFileSystemPath(files::ExecutableFolder() + files::PathSeparator() + u"Quillpst.dat");
  return {"Quillprep", QP_VERSION,
          "Shows the form that writes Quillpst.dat, the settings file of Quillpost, into the\n"
          "current working directory (it needs a display). Its load button and its password\n"
          "recovery read the file from\n  " +
              file + "\n"};
}
