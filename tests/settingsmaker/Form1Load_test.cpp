// The load, example, clear and date-mode buttons of the settings editor: the file read back
// from the program folder with the password masked, and what a missing or broken file does.
#include <QLineEdit>

#include <filesystem>

#include "settingsmaker/ReadStoredSettings.h"
#include "tests/settingsmaker/EditorFixture.h"

namespace settingsmakertest {
namespace {

namespace fs = std::filesystem;

class Form1Load : public EditorFixture {};

TEST_F(Form1Load, StoredValuesFillTheBoxesWithOneStarPerPasswordCharacter) {
  const SettingsRecord stored{u"ftp.stored.jp", u"保存者", u"", u"", u"/home/保存.txt", u"x.bin"};
  storeInProgramFolder(stored, u"8 chars!");
  fill(kExample);
  click(form->Command5());
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(texts(),
            (Texts{u"ftp.stored.jp", u"保存者", u"********", u"", u"/home/保存.txt", u"x.bin"}));
  storeInProgramFolder(stored, u"");
  click(form->Command5());
  EXPECT_EQ(form->Text3()->text(), "");
}

TEST_F(Form1Load, MissingOrBrokenFileIsReportedAndLeavesTheBoxes) {
  fill(kExample);
  // In the working directory, hidden, or a directory: none of them counts.
  const std::string line = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n";
  testsupport::WriteFile(work.file("Quillpst.dat"), line);
  testsupport::WriteFile(program.file(".Quillpst.dat"), line);
  click(form->Command5());
  fs::create_directory(program.file("Quillpst.dat"));
  click(form->Command5());
  fs::remove(program.file("Quillpst.dat"));
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"c\"\r\n");
  click(form->Command5());
  // Larger than the reader takes, without six fields in it.
  testsupport::WriteFile(program.file("Quillpst.dat"), std::string((1 << 20) + 10, 'x'));
  click(form->Command5());
  const std::vector<std::u16string> shown = asked();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0], kFileMissingText);
  EXPECT_EQ(shown[1], kFileMissingText);
  EXPECT_NE(shown[2], shown[3]);  // each its own reason
  EXPECT_EQ(boxes.asked()[2].icon, dialogs::Icon::Critical);
  EXPECT_EQ(boxes.asked()[3].icon, dialogs::Icon::Critical);
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
