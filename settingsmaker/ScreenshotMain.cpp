// quillprep_screenshot: shows the settings editor filled with the example values and the
// recovery dialog beside it, and saves a picture of each (for the README).
// Usage: quillprep_screenshot FORM1.png FORM2.png
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "platform/dialogs/ScriptedDialogs.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/Form2.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: quillprep_screenshot FORM1.png FORM2.png\n");
    return 2;
  }
  const QString form1Picture = QString::fromLocal8Bit(argv[1]);
  const QString form2Picture = QString::fromLocal8Bit(argv[2]);
  dialogs::ScriptedDialogs boxes;  // nothing asks: no command runs that would
  Form1 form(boxes, {});
  form.Command3_Click();
  form.show();
  form.Label3_DblClick();
  int status = 1;
  // Grab once both windows have been laid out and painted.
  QTimer::singleShot(500, [&] {
    const bool saved = form.grab().save(form1Picture) && form.form2()->grab().save(form2Picture);
    status = saved ? 0 : 1;
    if (!saved) std::fprintf(stderr, "quillprep_screenshot: cannot write the pictures\n");
    form.form2()->close();
    form.close();
    app.quit();
  });
  app.exec();
  return status;
}
