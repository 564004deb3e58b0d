// The stored-password recovery behind the access phrase, without a window: checks the phrase,
// reads the settings file from the program's folder and restores its password.
#pragma once

#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialogs/Dialogs.h"

// The fixed access phrase. It is compared only; nothing shows, logs or writes it.
inline constexpr char16_t kAccessPhrase[] = u"Quillprep-Restore-Stored-Pass-2026";
static_assert(std::size(kAccessPhrase) - 1 == 34, "the access phrase has 34 characters");

struct RecoveryResult {
  bool closeDialog = false;
  // The stored password in clear, for the editor's Text3; nothing when it must stay as it is.
  std::optional<std::u16string> password;
};

// The decode button. A phrase that differs from kAccessPhrase in any way (exact comparison,
// case and blanks count) gets "残念でした。" and closes the dialog, reading nothing. With the
// right phrase, the settings file is read from `programFolder` (ReadStoredSettings: a missing
// or unusable file is reported there) and its password restored; a password that cannot be
// restored is reported too. Every report keeps the dialog open; a restored password closes it.
RecoveryResult RecoverStoredPassword(std::u16string_view phrase, dialogs::Dialogs& dialogs,
                                     const std::u16string& programFolder);
