// Fuzzes the settings reader: any bytes must give Read or EndedEarly without a crash, and a
// record that is read must survive being written in the file's layout and read again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/codepage/CodePage.h"
#include "settings/ReadSettingsFile.h"

namespace {

// One field as the writer lays it out: quoted, inner quotes doubled.
bool appendQuoted(std::string& line, const std::u16string& value) {
  const std::optional<std::string> bytes = codepage::ToAnsiExact(value);
  if (!bytes) return false;
  line.push_back('"');
  for (char c : *bytes) {
    line.push_back(c);
    if (c == '"') line.push_back('"');
  }
  line.push_back('"');
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const ReadSettingsResult r = ParseSettingsText(bytes);
  if (r.status != ReadStatus::Read) {
    if (r.status != ReadStatus::EndedEarly) std::abort();
    return 0;
  }
  const SettingsRecord& rec = r.record;
  const std::u16string* fields[] = {&rec.ServerName, &rec.UserId,        &rec.ScrambledPassword,
                                    &rec.InitialDir, &rec.LocalFilePath, &rec.RemoteFileName};
  std::string line;
  for (const std::u16string* field : fields) {
    if (field->size() > size) std::abort();  // a value never holds more characters than bytes
    if (!line.empty()) line.push_back(',');
    if (!appendQuoted(line, *field)) return 0;
  }
  line += "\r\n";
  const ReadSettingsResult again = ParseSettingsText(line + line);
  if (again.status != ReadStatus::Read) std::abort();
  const SettingsRecord& a = again.record;
  if (a.ServerName != rec.ServerName || a.UserId != rec.UserId ||
      a.ScrambledPassword != rec.ScrambledPassword || a.InitialDir != rec.InitialDir ||
      a.LocalFilePath != rec.LocalFilePath || a.RemoteFileName != rec.RemoteFileName) {
    std::abort();
  }
  return 0;
}
