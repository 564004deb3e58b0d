// The one-shot upload that runs while the window loads: read the settings, check the local
// file, connect, list, change directory, upload, report; and the exit status that tells a
// script how it ended. The window supplies its controls through WindowControls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ftp/McWinFTP.h"
#include "platform/dialogs/Dialogs.h"
#include "uploader/Clock.h"
#include "uploader/UploadProgress.h"
#include "uploader/WindowCommands.h"
#include "uploader/WindowControls.h"

// How the program ends; the value is the process's exit status.
enum class ExitStatus : int {
  Done = 0,              // stored on the server, or nothing to upload (empty local path)
  SettingsProblem = 1,   // settings file missing, short, unreadable, or password unrestorable
  LocalFileMissing = 2,  // the local file does not exist
  NotConnected = 3,      // the connection could not be made
  UploadFailed = 4,      // the upload failed
  // Stored (or nothing to upload), but an error box was shown on the way: a failed directory
  // change or listing, say. Told apart from Done by the caller, who sees the boxes.
  DoneAfterError = 5,
};

// What a successful upload stored, for the run's record on standard output.
struct StoredUpload {
  std::u16string server;           // ServerName, as configured
  std::u16string folder;           // the remote directory, as the server names it after the upload
  std::u16string name;             // the remote name
  std::optional<uintmax_t> bytes;  // the local file's size; none when it cannot be told
  double seconds = 0;              // how long the upload took
  const char* via = "rename";      // how it reached its name (UploadRouteName)
  bool verified = false;           // the server's size of the stored file matched
};

// The steps of a run up to the upload, for --check.
enum class StartUpStep { Settings, LocalFile, Connection, LoginListing, Directory, Listing };

struct StartUpEnvironment {
  std::u16string settingsFolder;  // where Quillpst.dat is read from
  Clock clock;                    // the current local date and time
  // Called after each successful upload, when set (which costs one more question to the
  // server: the remote directory).
  std::function<void(const StoredUpload&)> onStored = {};
  // Shows the upload's progress and may cancel it, when set.
  UploadProgressFactory progress = {};
  // Straight to the remote name, without a temporary name (--in-place).
  bool inPlace = false;
  // Everything but the upload (--check): the run ends after the remote directory's listing.
  bool checkOnly = false;
  // Told each step up to the upload as it ends: whether it went well (no box on the way), and
  // what it worked on (the settings file, the local file, the server, the folder).
  std::function<void(StartUpStep step, bool ok, const std::u16string& subject)> onStep = {};
};

// Runs the start-up from reading the settings to the completion message, on `clsFtp` (fresh,
// from MakeSession), connecting as cmdOpen does but without its box, showing its messages through
// `dialogs`. Closing the window is the caller's last step. Never throws.
ExitStatus RunStartUp(WindowControls& controls, McWinFTP& clsFtp, dialogs::Dialogs& dialogs,
                      const StartUpEnvironment& environment);
