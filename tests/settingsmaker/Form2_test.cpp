// The stored-password recovery dialog: the access phrase, the password restored into the
// editor's Text3 and nothing else, the file problems, and the one instance.
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "settingsmaker/Form2.h"
#include "settingsmaker/PasswordRecovery.h"
#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

const SettingsRecord kStored{u"ftp.stored.jp", u"保存者", u"", u"/in", u"/home/a.txt", u"a.txt"};
const Texts kOnScreen{u"other.jp", u"someone", u"typed", u"", u"/else.txt", u"NowDateMode"};
const std::u16string kPhrase = kAccessPhrase;

class Form2Recovery : public EditorFixture {
 protected:
  // Opens the dialog, types `phrase` and clicks its button; returns the dialog while it is
  // open, null once it closed.
  Form2* decode(const std::u16string& phrase) {
    QPointer<Form2> dialog = &openForm2();
    QTest::keyClicks(dialog->Text1(), QString::fromStdU16String(phrase));
    click(dialog->Command1());
    DeleteClosedWindows();
    return dialog.data();
  }
  std::u16string text3() const { return form->Text3()->text().toStdU16String(); }
};

TEST_F(Form2Recovery, AnyOtherPhraseIsRefusedAndClosesTheDialog) {
  storeInProgramFolder(kStored, u"secret");
  fill(kOnScreen);
  std::vector<std::u16string> wrong = {u"", u" " + kPhrase, kPhrase + u" ", kPhrase.substr(1)};
  for (size_t i = 0; i < kPhrase.size(); ++i) {
    std::u16string changed = kPhrase;
    changed[i] = changed[i] == u'x' ? u'y' : u'x';
    wrong.push_back(changed);
  }
  wrong.push_back(QString::fromStdU16String(kPhrase).toLower().toStdU16String());
  for (const std::u16string& phrase : wrong) {
    boxes = {};
    EXPECT_EQ(decode(phrase), nullptr);
    ASSERT_EQ(boxes.asked().size(), 1u);
    ExpectMessage(boxes.asked()[0], u"残念でした。");
    EXPECT_EQ(texts(), kOnScreen);
  }
}

TEST_F(Form2Recovery, RightPhraseRestoresOnlyThePasswordAndCloses) {
  storeInProgramFolder(kStored, u"p1; 秘密");
  fill(kOnScreen);
  EXPECT_EQ(decode(kPhrase), nullptr);
  EXPECT_TRUE(boxes.asked().empty());
  Texts expected = kOnScreen;
  expected[2] = u"p1; 秘密";
  EXPECT_EQ(texts(), expected);
  // A stored empty password empties the box.
  storeInProgramFolder(kStored, u"");
  EXPECT_EQ(decode(kPhrase), nullptr);
  EXPECT_EQ(text3(), u"");
}

TEST_F(Form2Recovery, MissingFileKeepsTheDialogOpenAndTheNextClickChecksAgain) {
  // Only in the working directory, where the editor writes.
  testsupport::WriteFile(writtenPath(), "\"a\",\"b\",\"RST\",\"d\",\"e\",\"f\"\r\n");
  fill(kOnScreen);
  Form2* dialog = decode(kPhrase);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->Text1()->text().toStdU16String(), kPhrase);
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], u"Quillpst.datがありません");
  EXPECT_EQ(texts(), kOnScreen);
  // Once the file is there, the same dialog recovers it.
  storeInProgramFolder(kStored, u"later");
  click(dialog->Command1());
  EXPECT_EQ(text3(), u"later");
  EXPECT_EQ(boxes.asked().size(), 1u);
}

TEST_F(Form2Recovery, BrokenFileOrPasswordIsReportedAndLeavesTheEditor) {
  fill(kOnScreen);
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\"\r\n");
  ASSERT_NE(decode(kPhrase), nullptr);
  // "z" restores to 0x89, a lead byte alone: no character.
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"z\",\"d\",\"e\",\"f\"\r\n");
  Form2* dialog = form->form2();
  ASSERT_NE(dialog, nullptr);
  click(dialog->Command1());
  ASSERT_EQ(boxes.asked().size(), 2u);
  EXPECT_EQ(boxes.asked()[0].icon, dialogs::Icon::Critical);
  ExpectMessage(
      boxes.asked()[1],
      u"Quillpst.dat に保存されているパスワードを元に戻せません (ファイルが壊れています)。",
      u"Quillprep", dialogs::Buttons::Ok, dialogs::Icon::Critical);
  EXPECT_EQ(texts(), kOnScreen);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(Form2Recovery, OpensModelessWithoutOwnerAndASecondDoubleClickRaisesTheSameOne) {
  Form2* first = &openForm2();
  EXPECT_TRUE(first->isWindow());
  EXPECT_EQ(first->parentWidget(), nullptr);
  EXPECT_EQ(first->windowModality(), Qt::NonModal);
  EXPECT_TRUE(first->isVisible());
  first->showMinimized();
  Form2* second = &openForm2();
  EXPECT_EQ(second, first);
  EXPECT_FALSE(second->isMinimized());
  EXPECT_TRUE(second->isVisible());
  int dialogs = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) dialogs += qobject_cast<Form2*>(w) != nullptr;
  EXPECT_EQ(dialogs, 1);
  // Closing discards it with its phrase; the next double-click makes a fresh one.
  QTest::keyClicks(first->Text1(), "typed");
  first->close();
  DeleteClosedWindows();
  EXPECT_EQ(form->form2(), nullptr);
  EXPECT_EQ(openForm2().Text1()->text(), "");
}

}  // namespace
}  // namespace settingsmakertest
