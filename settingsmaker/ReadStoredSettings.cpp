#include "settingsmaker/ReadStoredSettings.h"

#include <utility>

#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"

namespace {

std::u16string failureText(const ReadSettingsResult& read) {
  if (read.status == ReadStatus::EndedEarly) {
    return u"Quillpst.dat の内容が途中で終わっています (6 つの値がそろっていません)。";
  }
  return u"Quillpst.dat を読み込めませんでした: " + read.detail;
}

}  // namespace

std::optional<SettingsRecord> ReadStoredSettings(const std::u16string& programFolder,
                                                 dialogs::Dialogs& dialogs) {
  const std::u16string path = programFolder + files::PathSeparator() + kSettingsFileName;
  // The reader also says NotFound when the file went away after the existence test.
  ReadSettingsResult read{ReadStatus::NotFound, {}, {}};
  if (files::NormalFileExists(path)) read = ReadSettingsFile(programFolder);
  switch (read.status) {
    case ReadStatus::Read:
      return std::move(read.record);
    case ReadStatus::NotFound:
      dialogs.MessageBox(kFileMissingText, kQuillprepTitle, dialogs::Buttons::Ok,
                         dialogs::Icon::None);
      return std::nullopt;
    case ReadStatus::EndedEarly:
    case ReadStatus::Unreadable:
      break;
  }
  dialogs.MessageBox(failureText(read), kQuillprepTitle, dialogs::Buttons::Ok,
                     dialogs::Icon::Critical);
  return std::nullopt;
}
