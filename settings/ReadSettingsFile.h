// Reading the settings file "Quillpst.dat" from a folder: the file access around
// ParseSettingsText (SettingsFormat.h), which holds the rules by which its fields are read.
#pragma once

#include <string>

#include "settings/SettingsRecord.h"

enum class ReadStatus { Read, NotFound, EndedEarly, Unreadable };

struct ReadSettingsResult {
  ReadStatus status = ReadStatus::Unreadable;
  SettingsRecord record;  // valid only when status is Read
  std::u16string detail;  // Unreadable: a short Japanese reason (e.g. the OS error)
};

// The largest prefix of the file that is read. A real settings file is a few hundred bytes; a
// file whose six fields are not complete within this many bytes is Unreadable (too large).
inline constexpr size_t kSettingsFileReadLimit = 1 << 20;

// Reads `folder` + "/" + kSettingsFileName. NotFound when the file (or the folder) does not
// exist; Unreadable when it cannot be opened or read, is not a regular file, or is too large;
// EndedEarly when it holds fewer than six fields. Never blocks on special files.
[[nodiscard]] ReadSettingsResult ReadSettingsFile(const std::u16string& folder);
