// A test copy of Quillpost, run headless only: the same window and start-up, but an FTP
// engine that waits 1 s for a reply or a paused transfer (the shipped program waits 60 s),
// so that a test of a stalling server ends in seconds. Built only with the tests; the shipped
// program has no setting for its deadlines.
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <iostream>

#include "platform/dialogs/ConsoleDialogs.h"
#include "platform/inet/FtpEngine.h"
#include "uploader/fFTPTest.h"

namespace {

using std::chrono::milliseconds;

// Only Qt's critical and fatal messages may mix into the records on standard error.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    std::cerr << message.toLocal8Bit().constData() << std::endl;
  }
}

inet::EngineOptions shortDeadlines() {
  inet::EngineOptions options;
  options.connectTimeout = milliseconds(2000);
  options.replyTimeout = milliseconds(1000);
  options.dataIdleTimeout = milliseconds(1000);
  options.quitTimeout = milliseconds(500);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(quietQtMessages);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quillpost"));
  dialogs::ConsoleDialogs boxes(std::cerr);
  const auto engine = inet::MakeFtpEngine(shortDeadlines());
  fFTPTestOptions options;
  options.internetApi = engine.get();
  // The window, and with it clsFtp, goes before the engine it uses.
  fFTPTest form(boxes, options);
  return static_cast<int>(form.Form_Load());
}
