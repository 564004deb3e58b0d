// The stored-password recovery dialog: the access phrase, the password restored into the
// editor's Text3 and nothing else, the file problems, and the one instance.
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "settingsmaker/Form2.h"
#include "settingsmaker/PasswordRecovery.h"
#include "settingsmaker/ReadStoredSettings.h"
#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

const SettingsRecord kStored{u"ftp.stored.jp", u"保存者", u"", u"/in", u"/home/a.txt", u"a.txt"};
const Texts kOnScreen{u"other.jp", u"someone", u"typed", u"", u"/else.txt", u"NowDateMode"};
const std::u16string kPhrase = kAccessPhrase;

class Form2Recovery : public EditorFixture {
 protected:
  void SetUp() override {
    EditorFixture::SetUp();
    fill(kOnScreen);
  }
  // Opens the dialog, types `phrase` and clicks its button; returns the dialog while it is
  // open, null once it closed.
  Form2* decode(const std::u16string& phrase) {
    QPointer<Form2> dialog = &openForm2();
    QTest::keyClicks(dialog->Text1(), QString::fromStdU16String(phrase));
    click(dialog->Command1());
    DeleteClosedWindows();
    return dialog.data();
  }
  // kOnScreen with `password` in Text3.
  static Texts withPassword(const std::u16string& password) {
    Texts texts = kOnScreen;
    texts[2] = password;
    return texts;
  }
};

TEST_F(Form2Recovery, AnyOtherPhraseIsRefusedAndClosesTheDialog) {
  storeInProgramFolder(kStored, u"secret");
  std::u16string lastChanged = kPhrase;
  lastChanged.back() = u'x';
  for (const std::u16string& phrase :
       {std::u16string(), u" " + kPhrase, kPhrase + u" ", kPhrase.substr(1), lastChanged,
        QString::fromStdU16String(kPhrase).toLower().toStdU16String()}) {
    boxes = {};
    EXPECT_EQ(decode(phrase), nullptr);
    EXPECT_EQ(asked(), std::vector<std::u16string>{u"残念でした。"});
    EXPECT_EQ(texts(), kOnScreen);
  }
}

TEST_F(Form2Recovery, RightPhraseRestoresOnlyThePasswordAndCloses) {
  storeInProgramFolder(kStored, u"p1; 秘密");
  EXPECT_EQ(decode(kPhrase), nullptr);
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(texts(), withPassword(u"p1; 秘密"));
  storeInProgramFolder(kStored, u"");
  EXPECT_EQ(decode(kPhrase), nullptr);
  EXPECT_EQ(texts(), withPassword(u""));
}

TEST_F(Form2Recovery, FileProblemsAreReportedKeepTheDialogOpenAndTheNextClickChecksAgain) {
  // Only in the working directory, where the editor writes.
  testsupport::WriteFile(writtenPath(), "\"a\",\"b\",\"RST\",\"d\",\"e\",\"f\"\r\n");
  Form2* dialog = decode(kPhrase);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Text1()->text().toStdU16String(), kPhrase);
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\"\r\n");
  click(dialog->Command1());
  // "z" restores to 0x89, a lead byte alone: no character.
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"z\",\"d\",\"e\",\"f\"\r\n");
  click(dialog->Command1());
  ASSERT_EQ(boxes.asked().size(), 3u);
  EXPECT_EQ(boxes.asked()[0].text, kFileMissingText);
  EXPECT_EQ(boxes.asked()[1].icon, dialogs::Icon::Critical);
  EXPECT_EQ(boxes.asked()[2].icon, dialogs::Icon::Critical);
  EXPECT_NE(boxes.asked()[1].text, boxes.asked()[2].text);
  EXPECT_EQ(texts(), kOnScreen);
  EXPECT_TRUE(dialog->isVisible());
  storeInProgramFolder(kStored, u"later");
  click(dialog->Command1());
  EXPECT_EQ(texts(), withPassword(u"later"));
  EXPECT_EQ(boxes.asked().size(), 3u);
}

TEST_F(Form2Recovery, OneModelessDialogAtATimeAndClosingDiscardsThePhrase) {
  Form2* first = &openForm2();
  EXPECT_EQ(first->windowModality(), Qt::NonModal);
  first->showMinimized();
  EXPECT_EQ(&openForm2(), first);
  EXPECT_FALSE(first->isMinimized());
  QTest::keyClicks(first->Text1(), "typed");
  first->close();
  DeleteClosedWindows();
  EXPECT_EQ(form->form2(), nullptr);
  EXPECT_EQ(openForm2().Text1()->text(), "");
}

}  // namespace
}  // namespace settingsmakertest
