// The editor Form1 and the recovery dialog Form2 offscreen with scripted boxes: each control
// reaches its command (whose decisions are tested without a window), the one modeless Form2 at
// a time, and the layout: every control inside its window with its caption whole, no box
// hidden under a label, every box unlimited and in clear.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/files/Files.h"
#include "settingsmaker/Form1.h"
#include "settingsmaker/Form2.h"
#include "settingsmaker/PasswordRecovery.h"
#include "tests/support/common/SettingsFile.h"

namespace {

void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

// Deletes what deleteLater() queued (a closed Form2 deletes itself that way).
void deleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Double-clicks Label3 and returns the Form2 it shows, or null.
Form2* openForm2(Form1& form) {
  QTest::mouseDClick(form.Label3(), Qt::LeftButton);
  return form.form2();
}

TEST(Forms, ControlsReachTheirCommandsAndTheLabelOpensOneDialogThatRestoresThePassword) {
  testsupport::TempDir program;
  dialogs::ScriptedDialogs boxes;
  Form1 form(boxes, files::FromFileSystemPath(program.path()));
  form.show();
  QLineEdit* const texts[] = {form.Text1(), form.Text2(), form.Text3(),
                              form.Text4(), form.Text5(), form.Text6()};
  click(form.Command3());
  for (QLineEdit* text : texts) EXPECT_FALSE(text->text().isEmpty());
  click(form.Command2());
  EXPECT_EQ(form.Text6()->text(), "NowDateMode");
  click(form.Command4());
  for (QLineEdit* text : texts) EXPECT_TRUE(text->text().isEmpty());
  click(form.Command1());
  EXPECT_EQ(boxes.asked().at(0).text, u"記入漏れがあります");
  testsupport::WriteSettingsFile(program.path(), {u"s", u"u", u"", u"", u"/a", u"a"}, u"秘密");
  click(form.Command5());
  EXPECT_EQ(form.Text3()->text(), "**");
  QPointer<Form2> first = openForm2(form);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->windowModality(), Qt::NonModal);
  first->showMinimized();
  EXPECT_EQ(openForm2(form), first);
  EXPECT_FALSE(first->isMinimized());
  QTest::keyClicks(first->Text1(), QString::fromStdU16String(kAccessPhrase));
  click(first->Command1());
  deleteClosedWindows();
  EXPECT_EQ(first, nullptr);  // closed and deleted
  EXPECT_EQ(form.Text3()->text().toStdU16String(), u"秘密");
  EXPECT_EQ(boxes.asked().size(), 1u);
  // Closing discards the phrase typed.
  QTest::keyClicks(openForm2(form)->Text1(), "typed");
  form.form2()->close();
  deleteClosedWindows();
  EXPECT_EQ(openForm2(form)->Text1()->text(), "");
}

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

TEST(Forms, ControlsLieInsideTheirWindowsWithWholeCaptionsAndOpenBoxes) {
  dialogs::ScriptedDialogs boxes;
  Form1 editor(boxes, u"/nowhere");
  expectLaidOut(editor);
  QLineEdit target;
  auto* recovery = new Form2(boxes, u"/nowhere", &target);
  expectLaidOut(*recovery);
  delete recovery;
}

}  // namespace
