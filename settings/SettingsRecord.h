// The six values of the settings file "Quillpst.dat", in file order; shared by the uploader,
// which reads it, and the settings maker, which writes it.
#pragma once

#include <array>
#include <string>

struct SettingsRecord {
  std::u16string ServerName;
  std::u16string UserId;
  std::u16string ScrambledPassword;  // ScrambleText "set" of the password
  std::u16string InitialDir;
  std::u16string LocalFilePath;
  std::u16string RemoteFileName;  // or the keyword "NowDateMode"
};

inline constexpr char16_t kSettingsFileName[] = u"Quillpst.dat";

// The six values in file order.
inline constexpr std::array<std::u16string SettingsRecord::*, 6> kSettingsFields{
    &SettingsRecord::ServerName, &SettingsRecord::UserId,        &SettingsRecord::ScrambledPassword,
    &SettingsRecord::InitialDir, &SettingsRecord::LocalFilePath, &SettingsRecord::RemoteFileName};
