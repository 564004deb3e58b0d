// Quillprep: the settings maker. Shows the settings editor, which reads "Quillpst.dat" back from
// the folder of this executable and writes it into the current working directory; it always
// needs a display.
#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <iostream>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/QtDialogs.h"
#include "platform/files/Files.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/ProgramInfo.h"

int main(int argc, char** argv) {
  if (const auto done =
          cmdline::HandleArguments(argc, argv, QuillprepInfo(), std::cout, std::cerr)) {
    return *done;
  }
  // Without a window system Qt would abort with a less helpful message; a platform named
  // explicitly (offscreen, say) is left to Qt.
  if (!dialogs::HasDisplay() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    std::fprintf(stderr, "Quillprep: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillprep"));
  dialogs::QtDialogs boxes;
  Form1 form(boxes, files::ExecutableFolder());
  form.show();
  return app.exec();
}
