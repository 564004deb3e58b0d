#include "uploader/StartUp.h"

#include <chrono>
#include <filesystem>
#include <optional>

#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "settings/ReadSettingsFile.h"
#include "settings/ScrambleText.h"
#include "uploader/SafeUpload.h"
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

std::optional<uintmax_t> localFileSize(const std::u16string& LocalFilePath) {
  std::error_code error;
  // By the UTF-16 name: on Windows a narrow name would go through the ANSI code page.
  const uintmax_t size = std::filesystem::file_size(std::filesystem::path(LocalFilePath), error);
  return error ? std::nullopt : std::optional<uintmax_t>(size);
}

// After a failed upload: when the local file itself cannot be opened (it exists, but this user
// may not read it), a message naming it and the system's reason, which the upload's error box
// alone does not give.
void explainUnreadableLocalFile(dialogs::Dialogs& dialogs, const std::u16string& LocalFilePath) {
  int fd = -1;
  const files::IoStatus opened = files::OpenForReading(files::ToFileSystemPath(LocalFilePath), &fd);
  if (opened.ok()) {
    files::CloseFile(fd);
    return;
  }
  say(dialogs, u"ローカルファイルを読み込めません\r\n" + LocalFilePath + u"\r\n" +
                   files::FileErrorText(opened.error));
}

// The upload, timed, with the record of what was stored when it succeeds and one is asked for.
bool upload(McWinFTP& clsFtp, const SettingsRecord& settings, const std::u16string& remoteName,
            const StartUpEnvironment& environment, dialogs::Dialogs& dialogs) {
  const std::optional<uintmax_t> bytes = localFileSize(settings.LocalFilePath);
  const auto start = std::chrono::steady_clock::now();
  std::unique_ptr<UploadProgress> progress =
      environment.progress ? environment.progress(settings.LocalFilePath) : nullptr;
  const McWinFTP::FTPFrrHandler owner = clsFtp.OnFTPFrr();
  const bool watched = progress != nullptr;
  if (watched) {
    clsFtp.OnTransferProgress([&](uint64_t sent, uint64_t total) {
      return progress == nullptr || progress->update(sent, total);
    });
    // The window closes (the meter is erased) before a box of the upload is shown, so that
    // the box is not left over a window whose button no longer does anything.
    clsFtp.OnFTPFrr([&](int32_t ErrNumber, const std::u16string& ErrString) {
      progress.reset();
      if (owner) owner(ErrNumber, ErrString);
    });
  }
  const SafeUploadResult stored =
      UploadSafely(clsFtp, settings.LocalFilePath, remoteName,
                   bytes ? std::optional<uint64_t>(*bytes) : std::nullopt, environment.inPlace);
  // And before anything else is told of the upload.
  if (watched) {
    clsFtp.OnTransferProgress(nullptr);
    clsFtp.OnFTPFrr(owner);
  }
  progress.reset();
  if (!stored.stored) {
    explainUnreadableLocalFile(dialogs, settings.LocalFilePath);
    return false;
  }
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  if (environment.onStored) {
    environment.onStored({settings.ServerName, clsFtp.CurDir(), remoteName, bytes, took.count(),
                          UploadRouteName(stored.via), stored.verified});
  }
  return true;
}

// Tells the step's outcome to whoever asked: it went well when no FTPFrr event came on its way.
class Steps {
 public:
  Steps(const StartUpEnvironment& environment, McWinFTP& clsFtp)
      : m_onStep(environment.onStep), m_clsFtp(clsFtp), m_events(clsFtp.FTPFrrCount()) {}

  void done(StartUpStep step, bool ok, const std::u16string& subject) {
    ok = ok && m_clsFtp.FTPFrrCount() == m_events;
    m_events = m_clsFtp.FTPFrrCount();
    if (m_onStep) m_onStep(step, ok, subject);
  }

 private:
  const std::function<void(StartUpStep, bool, const std::u16string&)>& m_onStep;
  McWinFTP& m_clsFtp;
  int64_t m_events;
};

}  // namespace

ExitStatus RunStartUp(WindowControls& controls, McWinFTP& clsFtp, dialogs::Dialogs& dialogs,
                      const StartUpEnvironment& environment) {
  Steps steps(environment, clsFtp);
  const std::u16string settingsPath =
      environment.settingsFolder + files::PathSeparator() + kSettingsFileName;
  const std::optional<StartUpSettings> read = readSettings(dialogs, environment.settingsFolder);
  steps.done(StartUpStep::Settings, read.has_value(), settingsPath);
  if (!read) return ExitStatus::SettingsProblem;
  const SettingsRecord& settings = read->record;
  controls.setServerText(settings.ServerName);
  controls.setUserText(settings.UserId);
  controls.setPassText(read->password);
  const bool localThere = localFileExists(settings.LocalFilePath);
  steps.done(StartUpStep::LocalFile, localThere, settings.LocalFilePath);
  if (!localThere) {
    say(dialogs, u"指定したローカルファイルは存在しません");
    return ExitStatus::LocalFileMissing;
  }
  const WindowParts window{controls, &clsFtp, dialogs};
  const bool connected = ConnectFromControls(controls, clsFtp);
  steps.done(StartUpStep::Connection, connected, settings.ServerName);
  if (!connected) {
    say(dialogs, u"接続できませんでした");
    return ExitStatus::NotConnected;
  }
  RefreshFileList(window);
  steps.done(StartUpStep::LoginListing, true, {});
  controls.setOpenEnabled(false);
  clsFtp.SetCurDir(settings.InitialDir);
  steps.done(StartUpStep::Directory, true, settings.InitialDir);
  RefreshFileList(window);
  steps.done(StartUpStep::Listing, true, settings.InitialDir);
  if (environment.checkOnly) return ExitStatus::Done;
  const RemoteNameChoice remote = ChooseRemoteName(settings.RemoteFileName, environment.clock);
  if (settings.LocalFilePath.empty()) return ExitStatus::Done;
  if (!upload(clsFtp, settings, remote.name, environment, dialogs)) return ExitStatus::UploadFailed;
  RefreshFileList(window);
  if (remote.showCompletion) {
    say(dialogs,
        CompletionMessage(settings.LocalFilePath, environment.clock(), settings.ServerName),
        dialogs::Icon::Information);
  }
  return ExitStatus::Done;
}
