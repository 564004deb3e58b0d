// quillpost_screenshot: shows the uploader's window once, filled with sample list lines, and
// saves a picture of it (for the README). Usage: quillpost_screenshot OUTPUT.png
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "platform/dialogs/ScriptedDialogs.h"
#include "uploader/ListLine.h"
#include "uploader/TabStopDelegate.h"
#include "uploader/fFTPTest.h"

namespace {

FTPFile entry(const char16_t* name, double size, int32_t type) {
  FTPFile file;
  file.FileName = name;
  file.FileSize = size;
  file.FileDate = {2026, 12, 7, 9, 5, 0};
  file.FileType = type;
  return file;
}

void fillSample(fFTPTest& form) {
  form.txtServer()->setText(QStringLiteral("ftp.example.jp"));
  form.txtUser()->setText(QStringLiteral("uploader"));
  form.txtPass()->setText(QStringLiteral("secret"));
  form.lstFilesTabStops()->setTabStops({100, 100, 100});
  const FTPFile entries[] = {
      entry(u"public_html", 0, 16),
      entry(u"バックアップ", 0, 16),
      entry(u"index.html", 1234567, 0),
      entry(u"報告書 2026年12月.pdf", 58213, 0),
      entry(u"261207090500", 20480, 0),
      entry(u"empty.txt", 0, 0),
      entry(u"a-rather-long-file-name-for-the-list.tar.gz", 987654321, 0),
  };
  form.lstFiles()->addItem(QString::fromStdU16String(kRootParentLine));
  for (const FTPFile& e : entries)
    form.lstFiles()->addItem(QString::fromStdU16String(EntryLine(e)));
  form.lstFiles()->setCurrentRow(3);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: quillpost_screenshot OUTPUT.png\n");
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[1]);
  dialogs::ScriptedDialogs boxes;  // nothing asks; the window only needs somewhere to ask
  fFTPTest form(boxes, {});
  fillSample(form);
  form.show();
  int status = 1;
  // Grab once the window has been laid out and painted.
  QTimer::singleShot(500, [&] {
    status = form.grab().save(output) ? 0 : 1;
    if (status != 0) std::fprintf(stderr, "quillpost_screenshot: cannot write the picture\n");
    form.close();
    app.quit();
  });
  app.exec();
  return status;
}
