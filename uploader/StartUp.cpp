#include "uploader/StartUp.h"

#include <optional>

#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settings/ScrambleText.h"
#include "uploader/UploadNaming.h"

namespace {

void say(dialogs::Dialogs& dialogs, const std::u16string& text,
         dialogs::Icon icon = dialogs::Icon::None) {
  dialogs.MessageBox(text, kAppTitle, dialogs::Buttons::Ok, icon);
}

std::u16string settingsProblemText(const ReadSettingsResult& read, const std::u16string& path) {
  const std::u16string file = std::u16string(u"設定ファイル ") + kSettingsFileName;
  switch (read.status) {
    case ReadStatus::NotFound:
      return file + u" が見つかりません\r\n" + path;
    case ReadStatus::EndedEarly:
      return file + u" の項目が足りません（6 項目が必要です）\r\n" + path;
    default:
      return file + u" を読み込めません\r\n" + path +
             (read.detail.empty() ? u"" : u"\r\n" + read.detail);
  }
}

struct StartUpSettings {
  SettingsRecord record;
  std::u16string password;  // restored from record.ScrambledPassword
};

// Reads the settings and restores the password; nullopt after the message saying why not.
std::optional<StartUpSettings> readSettings(dialogs::Dialogs& dialogs,
                                            const std::u16string& folder) {
  const std::u16string path = folder + files::PathSeparator() + kSettingsFileName;
  ReadSettingsResult read = ReadSettingsFile(folder);
  if (read.status != ReadStatus::Read) {
    say(dialogs, settingsProblemText(read, path));
    return std::nullopt;
  }
  const ScrambleResult restored = ScrambleText(u"reset", read.record.ScrambledPassword);
  if (!restored.ok) {
    say(dialogs, std::u16string(u"設定ファイル ") + kSettingsFileName +
                     u" のパスワードを復元できません\r\n" + path);
    return std::nullopt;
  }
  return StartUpSettings{read.record, restored.text};
}

// An empty path names nothing to upload; it passes, and the upload is skipped later.
bool localFileExists(const std::u16string& LocalFilePath) {
  return LocalFilePath.empty() || files::NormalFileExists(LocalFilePath);
}

}  // namespace

ExitStatus RunStartUp(WindowControls& controls, McWinFTP& clsFtp, dialogs::Dialogs& dialogs,
                      const StartUpEnvironment& environment) {
  const std::optional<StartUpSettings> read = readSettings(dialogs, environment.settingsFolder);
  if (!read) return ExitStatus::SettingsProblem;
  const SettingsRecord& settings = read->record;
  controls.setServerText(settings.ServerName);
  controls.setUserText(settings.UserId);
  controls.setPassText(read->password);
  if (!localFileExists(settings.LocalFilePath)) {
    say(dialogs, u"指定したローカルファイルは存在しません");
    return ExitStatus::LocalFileMissing;
  }
  const WindowParts window{controls, &clsFtp, dialogs};
  if (!ConnectFromControls(controls, clsFtp)) {
    say(dialogs, u"接続できませんでした");
    return ExitStatus::NotConnected;
  }
  RefreshFileList(window);
  controls.setOpenEnabled(false);
  clsFtp.SetCurDir(settings.InitialDir);
  RefreshFileList(window);
  const RemoteNameChoice remote = ChooseRemoteName(settings.RemoteFileName, environment.clock);
  if (settings.LocalFilePath.empty()) return ExitStatus::Done;
  if (clsFtp.PutFile(settings.LocalFilePath, remote.name, 0) == 0) {
    return ExitStatus::UploadFailed;
  }
  RefreshFileList(window);
  if (remote.showCompletion) {
    say(dialogs,
        CompletionMessage(settings.LocalFilePath, environment.clock(), settings.ServerName),
        dialogs::Icon::Information);
  }
  return ExitStatus::Done;
}
