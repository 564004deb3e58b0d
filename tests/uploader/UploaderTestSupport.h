// Helpers for the uploader's tests: text conversions, settings files as the settings maker
// writes them, and a fixed clock.
#pragma once

#include <string>

#include "settings/SettingsRecord.h"
#include "uploader/Clock.h"

namespace uploadertest {

// UTF-8 to UTF-16 and back.
std::u16string U16(const std::string& utf8);
std::string Utf8(const std::u16string& text);

// Writes folder/Quillpst.dat holding `values`, with `password` scrambled ("set") into the
// third field, as the settings maker writes it (MakeSettingsText). `values.ScrambledPassword`
// is ignored.
void WriteSettingsFile(const std::string& folder, SettingsRecord values,
                       const std::u16string& password);

// 2026-12-07 09:05:03, the time the tests' clock always tells.
inline constexpr DateTime kFixedTime{2026, 12, 7, 9, 5, 3};
inline DateTime FixedClock() { return kFixedTime; }

}  // namespace uploadertest
