// The load, example, clear and date-mode buttons of the settings editor: the file read back
// from the program folder with the password masked, and what a missing or broken file does.
#include <QLineEdit>

#include <filesystem>

#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

namespace fs = std::filesystem;
using dialogs::BoxAnswer;

constexpr char16_t kMissing[] = u"Quillpst.datがありません";

const SettingsRecord kStored{u"ftp.stored.jp", u"保存者", u"", u"", u"/home/保存.txt", u"x.bin"};

class Form1Load : public EditorFixture {};

TEST_F(Form1Load, StoredValuesFillTheBoxesWithOneStarPerPasswordCharacter) {
  storeInProgramFolder(kStored, u"8 chars!");
  fill(kExample);
  click(form->Command5());
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(texts(),
            (Texts{u"ftp.stored.jp", u"保存者", u"********", u"", u"/home/保存.txt", u"x.bin"}));
  // An empty stored password leaves Text3 empty.
  storeInProgramFolder(kStored, u"");
  click(form->Command5());
  EXPECT_EQ(form->Text3()->text(), "");
}

TEST_F(Form1Load, FileNotInTheProgramFolderIsReportedMissing) {
  fill(kExample);
  // In the working directory, hidden, or a directory: none of them counts.
  testsupport::WriteFile(work.file("Quillpst.dat"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
  testsupport::WriteFile(program.file(".Quillpst.dat"), "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
  click(form->Command5());
  fs::create_directory(program.file("Quillpst.dat"));
  click(form->Command5());
  ASSERT_EQ(boxes.asked().size(), 2u);
  ExpectMessage(boxes.asked()[0], kMissing);
  ExpectMessage(boxes.asked()[1], kMissing);
  EXPECT_EQ(texts(), kExample);
}

TEST_F(Form1Load, FileThatEndsEarlyOrCannotBeReadLeavesTheBoxes) {
  fill(kExample);
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"c\"\r\n");
  click(form->Command5());
  // Larger than the reader takes, without six fields in it.
  testsupport::WriteFile(program.file("Quillpst.dat"), std::string((1 << 20) + 10, 'x'));
  click(form->Command5());
  ASSERT_EQ(boxes.asked().size(), 2u);
  ExpectMessage(boxes.asked()[0],
                u"Quillpst.dat の内容が途中で終わっています (6 つの値がそろっていません)。",
                u"Quillprep", dialogs::Buttons::Ok, dialogs::Icon::Critical);
  ExpectMessage(
      boxes.asked()[1],
      u"Quillpst.dat を読み込めませんでした: ファイルが大きすぎます (1 MiB を超えています)",
      u"Quillprep", dialogs::Buttons::Ok, dialogs::Icon::Critical);
  EXPECT_EQ(texts(), kExample);
}

TEST_F(Form1Load, ExampleClearAndDateModeButtonsOnlySetTheBoxes) {
  click(form->Command3());
  EXPECT_EQ(texts(), kExample);
  click(form->Command2());
  Texts expected = kExample;
  expected[5] = u"NowDateMode";
  EXPECT_EQ(texts(), expected);
  click(form->Command4());
  EXPECT_EQ(texts(), Texts{});
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_FALSE(written());
}

}  // namespace
}  // namespace settingsmakertest
