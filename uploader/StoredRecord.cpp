#include "uploader/StoredRecord.h"

#include "platform/dialogs/ConsoleDialogs.h"

namespace {

std::string value(const std::u16string& text) {
  const std::string line = dialogs::OneLine(text);
  if (!line.empty() && line.find_first_of(" \t\"\\=") == std::string::npos) return line;
  std::string quoted = "\"";
  for (char c : line) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Seconds to the millisecond, with a full stop whatever the locale ("0.004").
std::string seconds(double value) {
  const long long ms = value > 0 ? static_cast<long long>(value * 1000 + 0.5) : 0;
  const std::string fraction = std::to_string(1000 + ms % 1000).substr(1);
  return std::to_string(ms / 1000) + "." + fraction;
}

}  // namespace

std::string StoredRecord(const StoredUpload& stored, const std::string& stamp) {
  return stamp + " Quillpost: stored server=" + value(stored.server) +
         " folder=" + value(stored.folder) + " name=" + value(stored.name) +
         " bytes=" + (stored.bytes ? std::to_string(*stored.bytes) : std::string("?")) +
         " seconds=" + seconds(stored.seconds) + " via=" + stored.via +
         " verified=" + (stored.verified ? "size" : "no");
}

void WriteStoredRecord(std::ostream& out, const StoredUpload& stored) {
  out << StoredRecord(stored, dialogs::LocalTimeStamp()) << std::endl;
}
