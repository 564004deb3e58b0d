#include "settingsmaker/PasswordRecovery.h"

#include "settings/ScrambleText.h"
#include "settingsmaker/ReadStoredSettings.h"

namespace {

constexpr char16_t kWrongPhrase[] = u"残念でした。";
constexpr char16_t kCannotRestore[] =
    u"Quillpst.dat に保存されているパスワードを元に戻せません (ファイルが壊れています)。";

}  // namespace

RecoveryResult RecoverStoredPassword(std::u16string_view phrase, dialogs::Dialogs& dialogs,
                                     const std::u16string& programFolder) {
  if (phrase != std::u16string_view(kAccessPhrase)) {
    dialogs.MessageBox(kWrongPhrase, kQuillprepTitle, dialogs::Buttons::Ok, dialogs::Icon::None);
    return RecoveryResult{true, std::nullopt};
  }
  const std::optional<SettingsRecord> stored = ReadStoredSettings(programFolder, dialogs);
  if (!stored) return RecoveryResult{false, std::nullopt};
  ScrambleResult restored = ScrambleText(u"reset", stored->ScrambledPassword);
  if (!restored.ok) {
    dialogs.MessageBox(kCannotRestore, kQuillprepTitle, dialogs::Buttons::Ok,
                       dialogs::Icon::Critical);
    return RecoveryResult{false, std::nullopt};
  }
  return RecoveryResult{true, std::move(restored.text)};
}
