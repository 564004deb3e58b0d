#include "uploader/WindowRun.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLatin1String>
#include <QString>
#include <QtGlobal>

#include <iostream>

#include "platform/cmdline/CommandLine.h"
#include "platform/dialogs/QtDialogs.h"
#include "uploader/RunOptions.h"
#include "uploader/ScheduledRun.h"
#include "uploader/ProgressWindow.h"
#include "uploader/fFTPTest.h"
#include "uploader/fProgress.h"

namespace {

// Qt's start-up chatter (a display that cannot be reached, say) is held back until it is known
// whether the window system came up; only critical and fatal messages pass meanwhile.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::cerr << message.toLocal8Bit().constData() << std::endl;
  }
}

// The window system the environment names, falling back to the offscreen platform when it
// cannot be reached, so that Qt reports the failure instead of aborting. A platform the user
// chose explicitly is left alone.
void choosePlatform() {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
  qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                 ? "xcb;offscreen"
                                 : "wayland;xcb;offscreen");
}

}  // namespace

extern "C" int QuillpostRunWindow(int argc, char** argv) {
  choosePlatform();
  qInstallMessageHandler(quietQtMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillpost"));
  // On the offscreen platform no box could ever be answered: leave the run to the caller.
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return -1;
  qInstallMessageHandler(nullptr);
  // The program checked the command line before it loaded this half.
  const RunOptions options = ParseRunArguments(cmdline::ProgramArguments(argc, argv)).options;
  RecordLog log(options.logFile, std::cerr);
  dialogs::QtDialogs qtBoxes;
  RunDialogs boxes(qtBoxes, log, std::cerr, true);
  StartUpEnvironment environment = ProgramEnvironment(options, log, std::cout);
  environment.progress = WindowProgressFactory(OpenProgressWindow);
  fFTPTestOptions formOptions;
  formOptions.startUp = [&](WindowControls& controls, McWinFTP& clsFtp) {
    return RunScheduled(controls, clsFtp, boxes, environment, options);
  };
  // The whole job runs in Form_Load, which closes the window: there is no event loop to enter.
  fFTPTest form(boxes, formOptions);
  return static_cast<int>(form.Form_Load());
}
