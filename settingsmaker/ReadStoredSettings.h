// Reading the settings file back from the program's folder, as both forms of the settings maker
// do: the existence test, the read, and the messages for a file that is missing or unusable.
#pragma once

#include <optional>
#include <string>

#include "platform/dialogs/Dialogs.h"
#include "settings/SettingsRecord.h"

// The title of every box of the settings maker that has no title of its own.
inline constexpr char16_t kQuillprepTitle[] = u"Quillprep";
// The message for a settings file that is missing from the program's folder.
inline constexpr char16_t kFileMissingText[] = u"Quillpst.datがありません";

// Reads "Quillpst.dat" from `programFolder` when a normal file (not hidden, not a directory) of
// that name is there, and returns its six values, the password still scrambled. Otherwise
// shows one box and returns nothing: kFileMissingText (OK, no icon) for a missing file, or a
// message saying that the file holds fewer than six values or why it cannot be read (OK,
// critical).
std::optional<SettingsRecord> ReadStoredSettings(const std::u16string& programFolder,
                                                 dialogs::Dialogs& dialogs);
