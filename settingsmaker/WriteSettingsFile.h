// The writer of the settings file "Quillpst.dat": the record in the file's layout
// (settings/SettingsFormat.h), replacing the file atomically.
#pragma once

#include <string>

#include "settings/SettingsRecord.h"

struct WriteResult {
  bool ok = false;
  std::u16string reason;  // when not ok: a short Japanese text for the user
};

// Writes "Quillpst.dat" in the current working directory (see WriteSettingsFileIn).
[[nodiscard]] WriteResult WriteSettingsFile(const SettingsRecord& record);

// Writes `folder` + "/Quillpst.dat". The record's ScrambledPassword must already be scrambled.
// A value that is not exactly representable in CP932 is refused, naming its field, before
// anything is written. The bytes go to a temporary file (mode 0600) in the same folder, which is
// flushed to disk and then renamed over the old file: on any failure the old file is left as it
// was and no temporary file remains. The new file has mode 0600 (it holds the password).
[[nodiscard]] WriteResult WriteSettingsFileIn(const std::u16string& folder,
                                              const SettingsRecord& record);
