// The settings editor's commands over plain boxes with scripted answers: the write button's
// checks in their order, its two questions, the bytes written into the working directory, its
// refusals and a failed write; the load button's masked password and its reports.
#include "settingsmaker/EditorCommands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settingsmaker/ReadStoredSettings.h"
#include "tests/support/common/SettingsFile.h"

namespace {

namespace fs = std::filesystem;
using dialogs::BoxAnswer;
using Texts = std::array<std::u16string, 6>;
using Shown = std::vector<std::u16string>;

constexpr char16_t kMissing[] = u"記入漏れがあります";
constexpr char16_t kUseStored[] = u"保存されているパスワードでよろしいですか？";
constexpr char16_t kEnterAgain[] = u"パスワードを再入力してください";
constexpr char16_t kConfirm[] = u"Quillpst.datを作成しますか？";
constexpr char16_t kCreated[] =
    u"Quillpst.datを作成しました\r\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください";
const Texts kValues{u"ftp.example.jp", u"zorvi",        u"tempkeyvalues",
                    u"/public_html",   u"c:\\test.txt", u"test.txt"};

class PlainBoxes : public EditorBoxes {
 public:
  std::u16string text(Box box) const override { return texts[static_cast<size_t>(box)]; }
  void setText(Box box, const std::u16string& text) override {
    texts[static_cast<size_t>(box)] = text;
  }
  Texts texts;
};

// The working directory, where the write goes, is a temporary folder during each test.
class EditorCommands : public testing::Test {
 protected:
  EditorCommands() { fs::current_path(work.path()); }
  ~EditorCommands() override { fs::current_path(m_oldWorkingDirectory); }

  // Fills the boxes, writes with `answers` queued and returns the texts of the boxes asked.
  Shown write(const Texts& values, std::vector<BoxAnswer> answers = {}) {
    boxes.texts = values;
    prompts = {};
    for (BoxAnswer answer : answers) prompts.answerMessage(answer);
    WriteFromBoxes(boxes, prompts);
    EXPECT_EQ(prompts.unusedAnswers(), 0u);
    Shown texts;
    for (const dialogs::AskedBox& box : prompts.asked()) texts.push_back(box.text);
    return texts;
  }
  std::string written() const { return work.file("Quillpst.dat"); }

  const fs::path m_oldWorkingDirectory = fs::current_path();
  testsupport::TempDir work;
  PlainBoxes boxes;
  dialogs::ScriptedDialogs prompts;
};

TEST_F(EditorCommands, RequiredBoxesAreCheckedInOrderAroundTheMaskedPassword) {
  for (size_t empty : {0, 1, 2, 4, 5}) {
    Texts values = kValues;
    values[empty].clear();
    EXPECT_EQ(write(values), Shown{kMissing}) << empty;
    EXPECT_EQ(boxes.texts, values);
  }
  // Text1 comes before the mask; the mask before Text5 and Text6.
  EXPECT_EQ(write({u"", u"u", u"***", u"", u"", u""}), Shown{kMissing});
  EXPECT_EQ(write({u"s", u"u", u"***", u"", u"", u""}, {BoxAnswer::Cancel}), Shown{kUseStored});
  EXPECT_EQ(prompts.asked()[0].buttons, dialogs::Buttons::YesNoCancel);
  EXPECT_FALSE(fs::exists(written()));
  // A box of blanks counts as filled; Text4 may stay empty.
  EXPECT_EQ(write({u" ", u" ", u" ", u"", u" ", u" "}, {BoxAnswer::Yes, BoxAnswer::Ok}),
            (Shown{kConfirm, kCreated}));
}

TEST_F(EditorCommands, OnlyAYesToTheConfirmationWritesAndOnlyNoToTheMaskEmptiesThePassword) {
  testsupport::WriteFile(written(), "older");
  Texts masked = kValues;
  masked[2] = u"*typed";
  EXPECT_EQ(write(masked, {BoxAnswer::Yes}), Shown{kUseStored});
  EXPECT_EQ(write(masked, {BoxAnswer::Cancel}), Shown{kUseStored});
  EXPECT_EQ(boxes.texts, masked);
  EXPECT_EQ(write(masked, {BoxAnswer::No, BoxAnswer::Ok}), (Shown{kUseStored, kEnterAgain}));
  EXPECT_EQ(boxes.texts[2], u"");
  EXPECT_EQ(write(kValues, {BoxAnswer::No}), Shown{kConfirm});
  EXPECT_EQ(prompts.asked()[0].buttons, dialogs::Buttons::YesNo);
  EXPECT_EQ(boxes.texts, kValues);
  EXPECT_EQ(testsupport::ReadFile(written()), "older");
}

TEST_F(EditorCommands, WriteStoresThePasswordScrambledOnceAndTheLineTwice) {
  // "9z" scrambles to "*k": written again, it must neither be scrambled twice nor be taken
  // for the mask of a loaded password.
  Texts values = kValues;
  values[2] = u"9z";
  const std::string line =
      "\"ftp.example.jp\",\"zorvi\",\"*k\",\"/public_html\",\"c:\\test.txt\",\"test.txt\"\r\n";
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(write(values, {BoxAnswer::Yes, BoxAnswer::Ok}), (Shown{kConfirm, kCreated}));
    EXPECT_EQ(testsupport::ReadFile(written()), line + line);
    EXPECT_EQ(boxes.texts, values);
  }
}

// The code page's own table decides which passwords can be stored (the ScrambleText test's).
TEST_F(EditorCommands, PasswordThatCannotBeStoredIsRefusedAfterTheConfirmation) {
  testsupport::WriteFile(written(), "older");
  Texts values = kValues;
  values[2] = u"pass\u00E9";
  EXPECT_EQ(write(values, {BoxAnswer::Yes, BoxAnswer::Ok}),
            (Shown{kConfirm,
                   u"パスワードの 5 文字目は Quillpst.dat に保存できない文字です。"
                   u"別の文字にしてください。"}));
  EXPECT_EQ(prompts.asked()[1].icon, dialogs::Icon::Exclamation);
  EXPECT_EQ(boxes.texts, values);
  EXPECT_EQ(testsupport::ReadFile(written()), "older");
}

TEST_F(EditorCommands, FailedWriteIsShownWithItsReasonAndTheNextAttemptScramblesOnlyOnce) {
  fs::create_directory(written());  // makes the write fail, also for root
  const Shown shown = write(kValues, {BoxAnswer::Yes, BoxAnswer::Ok});
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].rfind(u"Quillpst.dat を書き込めませんでした: ", 0), 0u);
  EXPECT_GT(shown[1].size(), 30u);  // with the reason
  EXPECT_EQ(prompts.asked()[1].icon, dialogs::Icon::Critical);
  EXPECT_EQ(boxes.texts, kValues);
  fs::remove(written());
  EXPECT_EQ(write(kValues, {BoxAnswer::Yes, BoxAnswer::Ok}), (Shown{kConfirm, kCreated}));
  const ReadSettingsResult read = ReadSettingsFile(files::FromFileSystemPath(work.path()));
  EXPECT_EQ(ScrambleText(u"reset", read.record.ScrambledPassword).text, u"tempkeyvalues");
}

// Only a normal file in the program folder counts: not one in the working directory, a hidden
// one or a directory.
TEST_F(EditorCommands, LoadMasksThePasswordOrReportsAMissingOrBrokenFileAndLeavesTheBoxes) {
  testsupport::TempDir program;
  const std::u16string folder = files::FromFileSystemPath(program.path());
  const std::string line = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n";
  testsupport::WriteFile(written(), line);
  testsupport::WriteFile(program.file(".Quillpst.dat"), line);
  boxes.texts = kValues;
  LoadIntoBoxes(boxes, prompts, folder);
  fs::create_directory(program.file("Quillpst.dat"));
  LoadIntoBoxes(boxes, prompts, folder);
  fs::remove(program.file("Quillpst.dat"));
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"c\"\r\n");
  LoadIntoBoxes(boxes, prompts, folder);
  // Larger than the reader takes, without six fields in it.
  testsupport::WriteFile(program.file("Quillpst.dat"), std::string((1 << 20) + 10, 'x'));
  LoadIntoBoxes(boxes, prompts, folder);
  const std::vector<dialogs::AskedBox>& asked = prompts.asked();
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[0].text, kFileMissingText);
  EXPECT_EQ(asked[1].text, kFileMissingText);
  EXPECT_NE(asked[2].text, asked[3].text);  // each its own reason
  EXPECT_EQ(asked[2].icon, dialogs::Icon::Critical);
  EXPECT_EQ(asked[3].icon, dialogs::Icon::Critical);
  EXPECT_EQ(boxes.texts, kValues);
  testsupport::WriteSettingsFile(program.path(), {u"s", u"保存者", u"", u"", u"/保存.txt", u"x"},
                                 u"8 chars!");
  LoadIntoBoxes(boxes, prompts, folder);
  EXPECT_EQ(boxes.texts, (Texts{u"s", u"保存者", u"********", u"", u"/保存.txt", u"x"}));
  EXPECT_EQ(prompts.asked().size(), 4u);
}

}  // namespace
