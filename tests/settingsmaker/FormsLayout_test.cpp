// The two windows as they open: every control inside its window with its caption whole, no
// box hidden under a label, every box unlimited and in clear. Places and sizes themselves are
// the layout table's; the screenshot scripts show them.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "platform/dialogs/ScriptedDialogs.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/Form2.h"

namespace settingsmakertest {
namespace {

void expectLaidOut(QWidget& window) {
  const QList<QWidget*> controls = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  EXPECT_GE(controls.size(), 3);
  for (QWidget* c : controls) {
    const QString caption = c->property("text").toString();
    SCOPED_TRACE(caption.toStdString());
    EXPECT_TRUE(window.rect().contains(c->geometry()));
    if (qobject_cast<QLabel*>(c)) {
      EXPECT_LE(c->sizeHint().width(), c->width());
      EXPECT_LE(c->sizeHint().height(), c->height());
    }
    if (qobject_cast<QPushButton*>(c)) {
      const QSize text = c->fontMetrics().size(0, caption);
      EXPECT_LE(text.width() + 8, c->width());
      EXPECT_LE(text.height() + 8, c->height());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(c)) {
      EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
      EXPECT_GE(edit->maxLength(), 1 << 30);  // a long path is not cut
      // A label that reaches under a box stays beneath it.
      for (QWidget* other : controls) {
        if (qobject_cast<QLabel*>(other) && other->geometry().intersects(c->geometry())) {
          EXPECT_GT(controls.indexOf(c), controls.indexOf(other));
        }
      }
    }
  }
}

TEST(FormsLayout, ControlsLieInsideTheirWindowsWithWholeCaptionsAndOpenBoxes) {
  dialogs::ScriptedDialogs boxes;
  Form1 editor(boxes, u"/nowhere");
  expectLaidOut(editor);
  QLineEdit target;
  auto* recovery = new Form2(boxes, u"/nowhere", &target);
  expectLaidOut(*recovery);
  delete recovery;
}

}  // namespace
}  // namespace settingsmakertest
