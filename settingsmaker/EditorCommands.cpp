#include "settingsmaker/EditorCommands.h"

#include <array>
#include <string>
#include <string_view>

#include "settings/ScrambleText.h"
#include "settingsmaker/ReadStoredSettings.h"
#include "settingsmaker/WriteSettingsFile.h"

namespace {

using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

constexpr char16_t kMissingEntries[] = u"記入漏れがあります";
constexpr char16_t kUseStoredPassword[] = u"保存されているパスワードでよろしいですか？";
constexpr char16_t kUseStoredPasswordTitle[] = u"serverdata.dat作成";
constexpr char16_t kEnterPasswordAgain[] = u"パスワードを再入力してください";
constexpr char16_t kConfirmCreate[] = u"Quillpst.datを作成しますか？";
constexpr char16_t kConfirmCreateTitle[] = u"Quillpst.dat作成";
constexpr char16_t kCreated[] =
    u"Quillpst.datを作成しました\r\nQuillpost.exeと同じﾌｫﾙﾀﾞに配置してください";

constexpr std::array<Box, 6> kAllBoxes{Box::Text1, Box::Text2, Box::Text3,
                                       Box::Text4, Box::Text5, Box::Text6};

std::u16string decimal(size_t n) {
  const std::string digits = std::to_string(n);
  return std::u16string(digits.begin(), digits.end());
}

void say(dialogs::Dialogs& dialogs, std::u16string_view text, Icon icon = Icon::None) {
  dialogs.MessageBox(std::u16string(text), kQuillprepTitle, Buttons::Ok, icon);
}

// M1; false, for the check that failed.
bool missingEntries(dialogs::Dialogs& dialogs) {
  say(dialogs, kMissingEntries);
  return false;
}

// Steps 1 to 6: true when the boxes may be written. Shows M1, or M2 (and on No M3, emptying
// Text3), and returns false at the first check that fails.
bool checkBoxes(EditorBoxes& boxes, dialogs::Dialogs& dialogs) {
  for (Box box : {Box::Text1, Box::Text2, Box::Text3}) {
    if (boxes.text(box).empty()) return missingEntries(dialogs);
  }
  if (boxes.text(Box::Text3).front() == u'*') {
    // The mask of a loaded password: the stored one cannot be written back from here.
    const BoxAnswer answer = dialogs.MessageBox(kUseStoredPassword, kUseStoredPasswordTitle,
                                                Buttons::YesNoCancel, Icon::None);
    if (answer == BoxAnswer::No) {
      say(dialogs, kEnterPasswordAgain);
      boxes.setText(Box::Text3, u"");
    }
    return false;
  }
  for (Box box : {Box::Text5, Box::Text6}) {
    if (boxes.text(box).empty()) return missingEntries(dialogs);
  }
  return true;
}

// Names the first character of `password` that scrambling cannot carry, or its length.
std::u16string unstorableText(std::u16string_view password) {
  for (size_t i = 0; i < password.size(); ++i) {
    if (!CanStorePassword(password.substr(i, 1))) {
      return u"パスワードの " + decimal(i + 1) +
             u" 文字目は Quillpst.dat に保存できない文字です。別の文字にしてください。";
    }
  }
  return u"パスワードが長すぎます (32767 文字まで)。";
}

SettingsRecord recordOf(const EditorBoxes& boxes) {
  return SettingsRecord{boxes.text(Box::Text1), boxes.text(Box::Text2), boxes.text(Box::Text3),
                        boxes.text(Box::Text4), boxes.text(Box::Text5), boxes.text(Box::Text6)};
}

}  // namespace

void WriteFromBoxes(EditorBoxes& boxes, dialogs::Dialogs& dialogs) {
  if (!checkBoxes(boxes, dialogs)) return;
  if (dialogs.MessageBox(kConfirmCreate, kConfirmCreateTitle, Buttons::YesNo, Icon::None) !=
      BoxAnswer::Yes) {
    return;
  }
  const std::u16string typed = boxes.text(Box::Text3);
  if (!CanStorePassword(typed)) {
    say(dialogs, unstorableText(typed), Icon::Exclamation);
    return;
  }
  boxes.setText(Box::Text3, ScrambleText(u"set", typed).text);
  const WriteResult written = WriteSettingsFile(recordOf(boxes));
  // The typed password goes back into Text3 after the write, failed or not: a second write
  // must store the same password, not scramble the scrambled text again.
  boxes.setText(Box::Text3, typed);
  if (!written.ok) {
    say(dialogs, written.reason, Icon::Critical);
    return;
  }
  say(dialogs, kCreated);
}

void LoadIntoBoxes(EditorBoxes& boxes, dialogs::Dialogs& dialogs,
                   const std::u16string& programFolder) {
  const std::optional<SettingsRecord> stored = ReadStoredSettings(programFolder, dialogs);
  if (!stored) return;
  boxes.setText(Box::Text1, stored->ServerName);
  boxes.setText(Box::Text2, stored->UserId);
  // The stored password itself is not kept: only its length shows.
  boxes.setText(Box::Text3, std::u16string(stored->ScrambledPassword.size(), u'*'));
  boxes.setText(Box::Text4, stored->InitialDir);
  boxes.setText(Box::Text5, stored->LocalFilePath);
  boxes.setText(Box::Text6, stored->RemoteFileName);
}

void SetNowDateMode(EditorBoxes& boxes) { boxes.setText(Box::Text6, kNowDateMode); }

void FillExampleValues(EditorBoxes& boxes) {
  const std::array<const char16_t*, 6> values{kExampleServer,  u"zorvi",        u"tempkeyvalues",
                                              u"/public_html", u"c:\\test.txt", u"test.txt"};
  for (size_t i = 0; i < kAllBoxes.size(); ++i) boxes.setText(kAllBoxes[i], values[i]);
}

void ClearBoxes(EditorBoxes& boxes) {
  for (Box box : kAllBoxes) boxes.setText(box, u"");
}
