// Fuzzes the settings reader: any bytes must be read or end early without a crash, and a record
// that is read must survive being written in the file's layout and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/SettingsFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<SettingsRecord> record = ParseSettingsText(bytes);
  if (!record) return 0;
  for (std::u16string SettingsRecord::*field : kSettingsFields) {
    // A value never holds more characters than the input has bytes.
    if ((*record.*field).size() > size) std::abort();
  }
  // Values decoded from bytes that are no character cannot be written back exactly.
  const SettingsText text = MakeSettingsText(*record);
  if (!text.ok) return 0;
  const std::optional<SettingsRecord> again = ParseSettingsText(text.bytes);
  if (!again) std::abort();
  for (std::u16string SettingsRecord::*field : kSettingsFields) {
    if (*again.*field != *record.*field) std::abort();
  }
  return 0;
}
