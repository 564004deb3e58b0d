// The write button of the settings editor: the checks in their order, the two questions, the
// bytes written into the working directory, refusals and a failed write.
#include <QLineEdit>

#include <filesystem>

#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settings/ScrambleText.h"
#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

namespace fs = std::filesystem;
using dialogs::BoxAnswer;
using Texts3 = std::vector<std::u16string>;

constexpr char16_t kMissing[] = u"記入漏れがあります";
constexpr char16_t kUseStored[] = u"保存されているパスワードでよろしいですか？";
constexpr char16_t kEnterAgain[] = u"パスワードを再入力してください";
constexpr char16_t kConfirm[] = u"Quillpst.datを作成しますか？";
constexpr char16_t kCreated[] =
    u"Quillpst.datを作成しました\r\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください";

class Form1Write : public EditorFixture {
 protected:
  // Fills the boxes, clicks the write button with `answers` queued and returns the texts of
  // the boxes it asked.
  std::vector<std::u16string> write(const Texts& values, std::vector<BoxAnswer> answers = {}) {
    fill(values);
    boxes = {};
    for (BoxAnswer answer : answers) boxes.answerMessage(answer);
    click(form->Command1());
    EXPECT_EQ(boxes.unusedAnswers(), 0u);
    return asked();
  }
  // The password stored in the file written, restored.
  std::u16string storedPassword() const {
    const ReadSettingsResult read = ReadSettingsFile(files::FromFileSystemPath(work.path()));
    EXPECT_EQ(read.status, ReadStatus::Read);
    return ScrambleText(u"reset", read.record.ScrambledPassword).text;
  }
};

TEST_F(Form1Write, RequiredBoxesAreCheckedInOrderAroundTheMaskedPassword) {
  EXPECT_EQ(write(Texts{}), Texts3{kMissing});
  for (size_t empty : {0, 1, 2, 4, 5}) {
    Texts values = kExample;
    values[empty].clear();
    EXPECT_EQ(write(values), Texts3{kMissing}) << empty;
    EXPECT_EQ(texts(), values);
  }
  // Text1 comes before the mask; the mask before Text5 and Text6.
  EXPECT_EQ(write({u"", u"u", u"***", u"", u"", u""}), Texts3{kMissing});
  EXPECT_EQ(write({u"s", u"u", u"***", u"", u"", u""}, {BoxAnswer::Cancel}), Texts3{kUseStored});
  EXPECT_EQ(boxes.asked()[0].buttons, dialogs::Buttons::YesNoCancel);
  EXPECT_FALSE(written());
  // A box of blanks counts as filled; Text4 may stay empty.
  EXPECT_EQ(write({u" ", u" ", u" ", u"", u" ", u" "}, {BoxAnswer::Yes, BoxAnswer::Ok}),
            (Texts3{kConfirm, kCreated}));
}

TEST_F(Form1Write, OnlyAYesToTheConfirmationWritesAndOnlyNoToTheMaskEmptiesThePassword) {
  testsupport::WriteFile(writtenPath(), "older");
  Texts masked = kExample;
  masked[2] = u"*typed";
  EXPECT_EQ(write(masked, {BoxAnswer::Yes}), Texts3{kUseStored});
  EXPECT_EQ(write(masked, {BoxAnswer::Cancel}), Texts3{kUseStored});
  EXPECT_EQ(texts(), masked);
  EXPECT_EQ(write(masked, {BoxAnswer::No, BoxAnswer::Ok}), (Texts3{kUseStored, kEnterAgain}));
  masked[2].clear();
  EXPECT_EQ(texts(), masked);
  EXPECT_EQ(write(kExample, {BoxAnswer::No}), Texts3{kConfirm});
  EXPECT_EQ(boxes.asked()[0].buttons, dialogs::Buttons::YesNo);
  EXPECT_EQ(texts(), kExample);
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), "older");
}

TEST_F(Form1Write, WriteStoresThePasswordScrambledOnceAndTheLineTwice) {
  // "9z" scrambles to "*k": written again, it must neither be scrambled twice nor be taken
  // for the mask of a loaded password.
  Texts values = kExample;
  values[2] = u"9z";
  EXPECT_EQ(write(values, {BoxAnswer::Yes, BoxAnswer::Ok}), (Texts3{kConfirm, kCreated}));
  const std::string line =
      "\"ftp.example.jp\",\"zorvi\",\"*k\",\"/public_html\",\"c:\\test.txt\",\"test.txt\"\r\n";
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), line + line);
  EXPECT_EQ(texts(), values);
  EXPECT_FALSE(fs::exists(program.file("Quillpst.dat")));  // the working directory only
  EXPECT_EQ(write(values, {BoxAnswer::Yes, BoxAnswer::Ok}), (Texts3{kConfirm, kCreated}));
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), line + line);
}

TEST_F(Form1Write, PasswordThatCannotBeStoredIsRefusedAfterTheConfirmation) {
  testsupport::WriteFile(writtenPath(), "older");
  Texts values = kExample;
  // Outside the code page; a control character whose shifted code is no character.
  for (const auto& [password, position] : {std::pair{u"pass\u00E9", u"5"}, {u"ab\x05", u"3"}}) {
    values[2] = password;
    EXPECT_EQ(write(values, {BoxAnswer::Yes, BoxAnswer::Ok}),
              (Texts3{kConfirm, u"パスワードの " + std::u16string(position) +
                                    u" 文字目は Quillpst.dat に保存できない文字です。"
                                    u"別の文字にしてください。"}));
    EXPECT_EQ(boxes.asked()[1].icon, dialogs::Icon::Exclamation);
    EXPECT_EQ(texts(), values);
  }
  EXPECT_EQ(testsupport::ReadFile(writtenPath()), "older");
}

TEST_F(Form1Write, FailedWriteIsShownWithItsReasonAndTheNextAttemptScramblesOnlyOnce) {
  fs::create_directory(writtenPath());  // makes the write fail, also for root
  const Texts3 shown = write(kExample, {BoxAnswer::Yes, BoxAnswer::Ok});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].rfind(u"Quillpst.dat を書き込めませんでした: ", 0), 0u);
  EXPECT_GT(shown[1].size(), 30u);  // with the reason
  EXPECT_EQ(boxes.asked()[1].icon, dialogs::Icon::Critical);
  EXPECT_EQ(texts(), kExample);
  fs::remove(writtenPath());
  EXPECT_EQ(write(kExample, {BoxAnswer::Yes, BoxAnswer::Ok}), (Texts3{kConfirm, kCreated}));
  EXPECT_EQ(storedPassword(), u"tempkeyvalues");
}

}  // namespace
}  // namespace settingsmakertest
