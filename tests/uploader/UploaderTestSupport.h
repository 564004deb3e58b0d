// Helpers for the uploader's tests: text conversions, settings files written byte for byte as
// the settings maker writes them, and a fixed clock.
#pragma once

#include <string>

#include "settings/SettingsRecord.h"
#include "uploader/Clock.h"

namespace uploadertest {

// UTF-8 to UTF-16 and back.
std::u16string U16(const std::string& utf8);
std::string Utf8(const std::u16string& text);

// The bytes of a settings file holding `values`, with `password` scrambled ("set") into the
// third field: six quoted CP932 fields, quotes doubled, the line twice, each ending in CR LF.
// `values.ScrambledPassword` is ignored.
std::string SettingsFileBytes(const SettingsRecord& values, const std::u16string& password);

// Writes SettingsFileBytes into folder/Quillpst.dat.
void WriteSettingsFile(const std::string& folder, const SettingsRecord& values,
                       const std::u16string& password);

// 2026-12-07 09:05:03, the time the tests' clock always tells.
inline constexpr DateTime kFixedTime{2026, 12, 7, 9, 5, 3};
inline DateTime FixedClock() { return kFixedTime; }

}  // namespace uploadertest
