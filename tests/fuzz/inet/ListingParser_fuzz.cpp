// Parses each line of arbitrary bytes as an MLSD and as a LIST line (and the whole as passive
// replies) and checks the entries: names never empty, never "." or "..", no NUL, CR or LF; a
// name is the line's own tail (a link's name is followed by " -> " there), and a directory
// comes only from a line that says so.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet/ListingParser.h"
#include "platform/inet/PassiveReply.h"

namespace {

bool containsIgnoringCase(std::string_view text, std::string_view lowerWord) {
  for (size_t at = 0; at + lowerWord.size() <= text.size(); ++at) {
    size_t i = 0;
    while (i < lowerWord.size() && (text[at + i] | 0x20) == lowerWord[i]) ++i;
    if (i == lowerWord.size()) return true;
  }
  return false;
}

// The line's own words for a directory: an MLSD fact "type=dir" before the name, a Unix mode
// beginning with "d", or a DOS "<DIR>" column.
bool saysDirectory(std::string_view before, bool mlsd) {
  if (mlsd) return containsIgnoringCase(before, "type=dir");
  const size_t first = before.find_first_not_of(" \t");
  return (first != std::string_view::npos && before[first] == 'd') ||
         before.find("<DIR>") != std::string_view::npos;
}

void checkLine(std::string_view line, const std::optional<inet::ListingEntry>& entry, bool mlsd) {
  if (!entry) return;
  const std::string& name = entry->name;
  if (name.empty() || name == "." || name == "..") std::abort();
  if (name.find_first_of(std::string_view("\0\r\n", 3)) != std::string::npos) std::abort();
  size_t at = line.size() - std::min(line.size(), name.size());
  if (line.substr(at) != name) {
    at = line.find(name + " -> ");
    if (mlsd || at == std::string_view::npos) std::abort();
  }
  if (entry->isDirectory && !saysDirectory(line.substr(0, at), mlsd)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  inet::CivilTime now;
  now.year = 2024;
  now.month = 2;
  now.day = 29;
  // Each line as the engine's listing collector hands it over: without its CR LF or LF.
  for (std::string_view rest = bytes; !rest.empty();) {
    const size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest = newline == std::string_view::npos ? std::string_view() : rest.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    checkLine(line, inet::ParseMlsdLine(line), true);
    checkLine(line, inet::ParseListLine(line, now), false);
  }
  if (const auto pasv = inet::ParsePasvReply(bytes); pasv && pasv->port == 0) std::abort();
  if (const auto epsv = inet::ParseEpsvReply(bytes); epsv && *epsv == 0) std::abort();
  return 0;
}
