// The stored-password recovery behind the access phrase: any other phrase refused without
// reading, the password restored from the program folder's file, and the file problems.
#include "settingsmaker/PasswordRecovery.h"

#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/files/Files.h"
#include "settingsmaker/ReadStoredSettings.h"
#include "tests/support/common/SettingsFile.h"

namespace {

const SettingsRecord kStored{u"ftp.stored.jp", u"保存者", u"", u"/in", u"/home/a.txt", u"a.txt"};
const std::u16string kPhrase = kAccessPhrase;

class PasswordRecovery : public testing::Test {
 protected:
  RecoveryResult recover(const std::u16string& phrase) {
    return RecoverStoredPassword(phrase, prompts, files::FromFileSystemPath(program.path()));
  }

  testsupport::TempDir program;
  dialogs::ScriptedDialogs prompts;
};

TEST_F(PasswordRecovery, AnyOtherPhraseIsRefusedAndTheRightOneRestoresThePassword) {
  testsupport::WriteSettingsFile(program.path(), kStored, u"p1; 秘密");
  std::u16string lastChanged = kPhrase, lower = kPhrase;
  lastChanged.back() = u'x';
  for (char16_t& c : lower) c = c >= u'A' && c <= u'Z' ? c + 32 : c;
  for (const std::u16string& phrase :
       {std::u16string(), u" " + kPhrase, kPhrase + u" ", kPhrase.substr(1), lastChanged, lower}) {
    const RecoveryResult refused = recover(phrase);
    EXPECT_TRUE(refused.closeDialog);
    EXPECT_FALSE(refused.password);
    EXPECT_EQ(prompts.asked().back().text, u"残念でした。");
  }
  EXPECT_EQ(prompts.asked().size(), 6u);
  const RecoveryResult restored = recover(kPhrase);
  EXPECT_TRUE(restored.closeDialog);
  EXPECT_EQ(restored.password, u"p1; 秘密");
  testsupport::WriteSettingsFile(program.path(), kStored, u"");
  EXPECT_EQ(recover(kPhrase).password, u"");
  EXPECT_EQ(prompts.asked().size(), 6u);
}

TEST_F(PasswordRecovery, FileProblemsAreReportedAndKeepTheDialogOpen) {
  const RecoveryResult missing = recover(kPhrase);
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\"\r\n");
  const RecoveryResult broken = recover(kPhrase);
  // "z" restores to 0x89, a lead byte alone: no character.
  testsupport::WriteFile(program.file("Quillpst.dat"), "\"a\",\"b\",\"z\",\"d\",\"e\",\"f\"\r\n");
  const RecoveryResult unrestorable = recover(kPhrase);
  for (const RecoveryResult& r : {missing, broken, unrestorable}) {
    EXPECT_FALSE(r.closeDialog);
    EXPECT_FALSE(r.password);
  }
  const std::vector<dialogs::AskedBox>& asked = prompts.asked();
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].text, kFileMissingText);
  EXPECT_EQ(asked[1].icon, dialogs::Icon::Critical);
  EXPECT_EQ(asked[2].icon, dialogs::Icon::Critical);
  EXPECT_NE(asked[1].text, asked[2].text);
}

}  // namespace
