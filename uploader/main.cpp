// Quillpost: the one-shot uploader. With a display, the boxes are Qt boxes; without one no
// window appears, every box goes to standard error and is answered with its default. The exit
// status says how the upload ended.
#include <QApplication>
#include <QByteArray>
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

}  // namespace

int main(int argc, char** argv) {
  const bool display = dialogs::HasDisplay();
  // Widgets must exist even unattended; the offscreen platform needs no window system, and it
  // replaces whatever platform the environment names, which could not start without a display.
  if (!display) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietQtMessages);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillpost"));
  std::unique_ptr<dialogs::Dialogs> boxes;
  if (display) {
    boxes = std::make_unique<dialogs::QtDialogs>();
  } else {
    boxes = std::make_unique<dialogs::ConsoleDialogs>(std::cerr);
  }
  // The whole job runs in Form_Load, which closes the window: there is no event loop to enter.
  fFTPTest form(*boxes);
  return static_cast<int>(form.Form_Load());
}
