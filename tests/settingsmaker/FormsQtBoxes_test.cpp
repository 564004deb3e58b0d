// The editor and the recovery dialog with the real Qt boxes, answered as a user would: the
// texts, titles, buttons and icons reach the screen.
#include <QLineEdit>
#include <QTest>

#include "platform/dialogs/QtDialogs.h"
#include "settingsmaker/Form2.h"
#include "settingsmaker/PasswordRecovery.h"
#include "tests/settingsmaker/EditorFixture.h"
#include "tests/support/common/QtBoxes.h"

namespace settingsmakertest {
namespace {

using testsupport::AnswerNextMessageBox;
using testsupport::SeenMessageBox;

class FormsQtBoxes : public EditorFixture {
 protected:
  dialogs::Dialogs& dialogs() override { return qtBoxes; }
  dialogs::QtDialogs qtBoxes;
};

void expectSeen(const SeenMessageBox& seen, const char16_t* text, const char16_t* title,
                QMessageBox::StandardButtons buttons) {
  EXPECT_TRUE(seen.seen);
  EXPECT_EQ(seen.text.toStdU16String(), text);
  EXPECT_EQ(seen.title.toStdU16String(), title);
  EXPECT_EQ(seen.buttons, buttons);
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

TEST_F(FormsQtBoxes, ConfirmedWriteShowsTheTwoLineCompletion) {
  fill(kExample);
  SeenMessageBox confirm, created;
  AnswerNextMessageBox(QMessageBox::Yes, &confirm);
  AnswerNextMessageBox(QMessageBox::Ok, &created);
  click(form->Command1());
  expectSeen(confirm, u"Quillpst.datを作成しますか？", u"Quillpst.dat作成",
             QMessageBox::Yes | QMessageBox::No);
  expectSeen(created, u"Quillpst.datを作成しました\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください",
             u"Quillprep", QMessageBox::Ok);
  EXPECT_TRUE(written());
}

TEST_F(FormsQtBoxes, WrongPhraseShowsTooBadAndClosesTheDialog) {
  Form2& dialog = openForm2();
  QTest::keyClicks(dialog.Text1(), "guess");
  SeenMessageBox tooBad;
  AnswerNextMessageBox(QMessageBox::Ok, &tooBad);
  click(dialog.Command1());
  expectSeen(tooBad, u"残念でした。", u"Quillprep", QMessageBox::Ok);
  DeleteClosedWindows();
  EXPECT_EQ(form->form2(), nullptr);
}

}  // namespace
}  // namespace settingsmakertest
