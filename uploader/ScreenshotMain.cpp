// quillpost_screenshot: shows the uploader's window once, filled with sample list lines, and
// saves a picture of it (for the README); with a second file, also the progress window of an
// upload half done. Usage: quillpost_screenshot OUTPUT.png [PROGRESS.png]
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "platform/dialogs/ScriptedDialogs.h"
#include "uploader/ListLinesModel.h"
#include "uploader/SampleListLines.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/fFTPTest.h"
#include "uploader/fProgress.h"

namespace {

void fillSample(fFTPTest& form) {
  form.txtServer()->setText(QStringLiteral("ftp.example.jp"));
  form.txtUser()->setText(QStringLiteral("uploader"));
  form.txtPass()->setText(QStringLiteral("secret"));
  form.lstFilesTabStops()->setTabStops({100, 100, 100});
  for (const std::u16string& line : SampleListLines()) form.lstFilesLines()->appendLine(line);
  form.lstFiles()->setCurrentIndex(form.lstFilesLines()->index(3));
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: quillpost_screenshot OUTPUT.png [PROGRESS.png]\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  dialogs::ScriptedDialogs boxes;  // nothing asks; the window only needs somewhere to ask
  fFTPTest form(boxes, {});
  fillSample(form);
  form.show();
  fProgress progress(u"/home/uploader/camera/20261208-0930.jpg");
  if (argc == 3) {
    progress.display({421, true, u"215.6 MB / 512.0 MB", u"4.52 MB/秒", u"残り 1 分 6 秒"});
    progress.move(form.geometry().right() + 20, form.y());
    progress.show();
  }
  int status = 1;
  // Grab once the windows have been laid out and painted.
  QTimer::singleShot(500, [&] {
    status = form.grab().save(output) ? 0 : 1;
    if (status == 0 && argc == 3) {
      status = progress.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
    }
    if (status != 0) std::fprintf(stderr, "quillpost_screenshot: cannot write the picture\n");
    form.close();
    app.quit();
  });
  app.exec();
  return status;
}
