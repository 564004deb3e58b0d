// Quillpost: the one-shot uploader. With a display, the boxes are Qt boxes; without one no
// window appears, every box goes to standard error and is answered with its default. The exit
// status says how the upload ended.
#include <QApplication>
#include <QByteArray>
#include <QGuiApplication>
#include <QLatin1String>
#include <QString>
#include <QtGlobal>

#include <iostream>
#include <memory>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/dialogs/Dialogs.h"
#include "platform/dialogs/QtDialogs.h"
#include "uploader/fFTPTest.h"

namespace {

// Without a display, standard error carries the boxes, one record each. Qt's own chatter about
// the unattended environment (no XDG_RUNTIME_DIR under cron, say) would mix into them, so only
// its critical and fatal messages pass.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::cerr << message.toLocal8Bit().constData() << std::endl;
  }
}

// With a display, the window system the environment names, falling back to the offscreen
// platform when it cannot be reached (a stale DISPLAY under a scheduler): the run then goes on
// unattended instead of aborting. A platform the user chose explicitly is left alone.
void choosePlatform(bool display) {
  if (!display) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                                   ? "xcb;offscreen"
                                   : "wayland;xcb;offscreen");
  }
}

}  // namespace

int main(int argc, char** argv) {
  choosePlatform(dialogs::HasDisplay());
  // Qt's start-up chatter is held back until it is known whether standard error carries the
  // boxes; with windows, Qt's messages go out as usual.
  qInstallMessageHandler(quietQtMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillpost"));
  // Widgets exist in both modes; on the offscreen platform no box could ever be answered, so
  // the boxes go to standard error instead.
  const bool windows = QGuiApplication::platformName() != QLatin1String("offscreen");
  std::unique_ptr<dialogs::Dialogs> boxes;
  if (windows) {
    qInstallMessageHandler(nullptr);
    boxes = std::make_unique<dialogs::QtDialogs>();
  } else {
    boxes = std::make_unique<dialogs::ConsoleDialogs>(std::cerr);
  }
  // The whole job runs in Form_Load, which closes the window: there is no event loop to enter.
  fFTPTest form(*boxes);
  return static_cast<int>(form.Form_Load());
}
