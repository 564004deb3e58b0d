// The write button of the settings editor: the checks in their order, the two questions, the
// bytes written into the working directory, refusals and a failed write.
#include <QLineEdit>

#include <filesystem>
#include <utility>

#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settings/ScrambleText.h"
#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

namespace fs = std::filesystem;
using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

constexpr char16_t kMissing[] = u"記入漏れがあります";
constexpr char16_t kConfirm[] = u"Quillpst.datを作成しますか？";
constexpr char16_t kCreated[] =
    u"Quillpst.datを作成しました\r\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください";

class Form1Write : public EditorFixture {
 protected:
  // Clicks Command1 and expects exactly one box, M1, and no file.
  void expectMissingEntries() {
    click(form->Command1());
    ASSERT_EQ(boxes.asked().size(), 1u);
    ExpectMessage(boxes.asked()[0], kMissing);
    EXPECT_FALSE(written());
  }
  // Clicks Command1 answering Yes to M4; expects M4 then `last`.
  void writeExpecting(const std::u16string& last, Icon icon = Icon::None) {
    const size_t before = boxes.asked().size();
    boxes.answerMessage(BoxAnswer::Yes);
    click(form->Command1());
    ASSERT_EQ(boxes.asked().size(), before + 2);
    ExpectMessage(boxes.asked()[before], kConfirm, u"Quillpst.dat作成", Buttons::YesNo);
    ExpectMessage(boxes.asked()[before + 1], last, u"Quillprep", Buttons::Ok, icon);
  }
};

TEST_F(Form1Write, EachRequiredBoxLeftEmptyStopsAtMissingEntries) {
  expectMissingEntries();  // all empty: shown once
  for (size_t empty : {0, 1, 2, 4, 5}) {
    SCOPED_TRACE(empty + 1);
    boxes = {};
    Texts values = kExample;
    values[empty].clear();
    fill(values);
    expectMissingEntries();
    EXPECT_EQ(texts(), values);
  }
  // A box of blanks counts as filled.
  fill({u" ", u" ", u" ", u"", u" ", u" "});
  boxes = {};
  writeExpecting(kCreated);
}

TEST_F(Form1Write, MaskedPasswordIsAskedAboutBeforeTheLastTwoBoxes) {
  // Text1 comes before the mask; the mask before Text5 and Text6.
  fill({u"", u"u", u"***", u"", u"", u""});
  expectMissingEntries();
  fill({u"s", u"u", u"***", u"", u"", u""});
  boxes = {};
  click(form->Command1());
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], u"保存されているパスワードでよろしいですか？",
                u"serverdata.dat作成", Buttons::YesNoCancel);
}

TEST_F(Form1Write, MaskedPasswordAnswersWriteNothingAndOnlyNoEmptiesThePassword) {
  testsupport::WriteFile(writtenPath(), "older");
  Texts values = kExample;
  values[2] = u"*typed";
  for (BoxAnswer answer : {BoxAnswer::Yes, BoxAnswer::Cancel, BoxAnswer::No}) {
    SCOPED_TRACE(static_cast<int>(answer));
    fill(values);
    boxes = {};
    boxes.answerMessage(answer);
    if (answer == BoxAnswer::No) boxes.answerMessage(BoxAnswer::Ok);
    click(form->Command1());
    EXPECT_TRUE(boxes.scriptFollowed());
    Texts expected = values;
    if (answer == BoxAnswer::No) {
      ASSERT_EQ(boxes.asked().size(), 2u);
      ExpectMessage(boxes.asked()[1], u"パスワードを再入力してください");
      expected[2].clear();
    } else {
      EXPECT_EQ(boxes.asked().size(), 1u);
    }
    EXPECT_EQ(texts(), expected);
    EXPECT_EQ(testsupport::ReadFile(writtenPath()), "older");
  }
}

TEST_F(Form1Write, DeclinedConfirmationWritesNothingAndKeepsThePassword) {
  fill(kExample);
  boxes.answerMessage(BoxAnswer::No);
  click(form->Command1());
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], kConfirm, u"Quillpst.dat作成", Buttons::YesNo);
  EXPECT_EQ(texts(), kExample);
  EXPECT_FALSE(written());
}

TEST_F(Form1Write, WriteStoresThePasswordScrambledAndTheLineTwice) {
  fill(kExample);
  writeExpecting(kCreated);
  const std::string line =
      "\"ftp.example.jp\",\"zorvi\",\"eV^a\\VjgR]fVd\",\"/public_html\",\"c:\\test.txt\","
      "\"test.txt\"\r\n";  // "tempkeyvalues", each code 15 lower
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), line + line);
  // Into the working directory only.
  EXPECT_FALSE(fs::exists(program.file("Quillpst.dat")));
}

TEST_F(Form1Write, EmptyInitialDirAndAwkwardPasswordCharactersSurviveTheRoundTrip) {
  // "1" scrambles to a quote, a blank to 0x11, ";" to a comma.
  fill({u"サーバー", u"u", u"1 ;", u"", u"/l", u"NowDateMode"});
  writeExpecting(kCreated);
  const std::string line =
      "\"\x83\x54\x81\x5B\x83\x6F\x81\x5B\",\"u\",\"\"\"\x11,\",\"\",\"/l\",\"NowDateMode\"\r\n";
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), line + line);
  const ReadSettingsResult read = ReadSettingsFile(files::FromFileSystemPath(work.path()));
  ASSERT_EQ(read.status, ReadStatus::Read);
  EXPECT_EQ(ScrambleText(u"reset", read.record.ScrambledPassword).text, u"1 ;");
  EXPECT_EQ(read.record.InitialDir, u"");
}

TEST_F(Form1Write, WritingTwiceStoresTheSamePassword) {
  // The box shows the typed password again after a write, so a second write neither scrambles
  // it twice nor, for a scrambled text beginning with "*", stops at the mask question.
  Texts values = kExample;
  values[2] = u"9z";  // scrambles to "*k"
  fill(values);
  writeExpecting(kCreated);
  EXPECT_EQ(texts(), values);
  const std::string first = testsupport::ReadFile(writtenPath());
  writeExpecting(kCreated);
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), first);
  const ReadSettingsResult read = ReadSettingsFile(files::FromFileSystemPath(work.path()));
  ASSERT_EQ(read.status, ReadStatus::Read);
  EXPECT_EQ(ScrambleText(u"reset", read.record.ScrambledPassword).text, u"9z");
}

TEST_F(Form1Write, PasswordThatCannotBeStoredIsRefusedAfterTheConfirmation) {
  testsupport::WriteFile(writtenPath(), "older");
  Texts values = kExample;
  // Outside the code page; a control character whose shifted code is no character.
  const std::pair<std::u16string, std::u16string> cases[] = {{u"pass\u00E9", u"5"},
                                                             {u"ab\x05", u"3"}};
  for (const auto& [password, position] : cases) {
    values[2] = password;
    fill(values);
    boxes = {};
    writeExpecting(u"パスワードの " + position +
                       u" 文字目は Quillpst.dat に保存できない文字です。別の文字にしてください。",
                   Icon::Exclamation);
    EXPECT_EQ(texts(), values);
    EXPECT_EQ(testsupport::ReadFile(writtenPath()), "older");
  }
}

TEST_F(Form1Write, FailedWriteIsShownAndTheNextAttemptScramblesOnlyOnce) {
  // A directory in the file's place makes the write fail, also for root.
  fs::create_directory(writtenPath());
  fill(kExample);
  boxes.answerMessage(BoxAnswer::Yes);
  click(form->Command1());
  ASSERT_EQ(boxes.asked().size(), 2u);
  const dialogs::AskedBox& failure = boxes.asked()[1];
  EXPECT_EQ(failure.text.rfind(u"Quillpst.dat を書き込めませんでした: ", 0), 0u);
  EXPECT_GT(failure.text.size(), 30u);  // with the reason
  EXPECT_EQ(failure.icon, Icon::Critical);
  EXPECT_EQ(texts(), kExample);
  fs::remove(writtenPath());
  writeExpecting(kCreated);
  const ReadSettingsResult read = ReadSettingsFile(files::FromFileSystemPath(work.path()));
  ASSERT_EQ(read.status, ReadStatus::Read);
  EXPECT_EQ(ScrambleText(u"reset", read.record.ScrambledPassword).text, u"tempkeyvalues");
}

}  // namespace
}  // namespace settingsmakertest
