// quillprep_screenshot: shows the settings editor filled with the example values and the
// recovery dialog beside it, then the box that the write button asks with a loaded (masked)
// password, and saves a picture of each (for the README).
// Usage: quillprep_screenshot FORM1.png FORM2.png BOX.png
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

#include "platform/dialogs/QtDialogs.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/Form2.h"

namespace {

// Saves the next modal box to `picture` once it is painted, then cancels it.
void grabNextBox(const QString& picture, bool* saved) {
  QTimer::singleShot(500, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    *saved = box->grab().save(picture);
    box->button(QMessageBox::Cancel)->click();
  });
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: quillprep_screenshot FORM1.png FORM2.png BOX.png\n");
    return 2;
  }
  dialogs::QtDialogs boxes;
  Form1 form(boxes, {});
  form.Command3_Click();
  form.show();
  form.Label3_DblClick();
  bool saved = false;
  // Grab once both windows have been laid out and painted.
  QTimer::singleShot(500, [&] {
    saved = form.grab().save(QString::fromLocal8Bit(argv[1])) &&
            form.form2()->grab().save(QString::fromLocal8Bit(argv[2]));
    form.form2()->close();
    // A loaded password shows as its mask; writing it asks "use the stored password?".
    form.Text3()->setText(QStringLiteral("*************"));
    bool boxSaved = false;
    grabNextBox(QString::fromLocal8Bit(argv[3]), &boxSaved);
    form.Command1_Click();
    saved = saved && boxSaved;
    form.close();
    app.quit();
  });
  app.exec();
  if (!saved) std::fprintf(stderr, "quillprep_screenshot: cannot write the pictures\n");
  return saved ? 0 : 1;
}
