#include "platform/inet/ListingParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace inet {
namespace {

// The calendar form of an entry's time, "YYYY-MM-DD hh:mm:ss[.mmm]", or "none" for time zero.
std::string calendar(const FileTime& time) {
  if (time.dwHighDateTime == 0 && time.dwLowDateTime == 0) return "none";
  SystemTime st;
  if (!FileTimeToSystemTime(time, &st)) return "invalid";
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  std::string result = text;
  if (st.wMilliseconds != 0) {
    std::snprintf(text, sizeof text, ".%03u", st.wMilliseconds);
    result += text;
  }
  return result;
}

const CivilTime kNow{2024, 3, 10, 12};

// An entry as the data files write it: "dir|file <size> <time> <name>", or "skip".
std::string describe(const std::optional<ListingEntry>& entry) {
  if (!entry) return "skip";
  return std::string(entry->isDirectory ? "dir " : "file ") + std::to_string(entry->size) + " " +
         calendar(entry->lastWrite) + " " + entry->name;
}

// The data files' escapes: "\xHH" is a byte, "\\" a backslash.
std::string unescape(const std::string& text) {
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
      bytes += '\\';
      ++i;
    } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      bytes += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// Each data file holds lines captured from ls, from the servers here and from public
// documentation, and the edge cases of each rule, each followed by the entry it must give.
TEST(ListingParser, CapturedAndPublishedLinesGiveTheirEntries) {
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(QP_LISTINGS_DIR)) {
    if (item.path().extension() == ".txt") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_GE(files.size(), 4u);
  size_t cases = 0;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    CivilTime now = kNow;
    std::string line;
    std::string pending;
    for (int number = 1; std::getline(in, line); ++number) {
      if (line.starts_with("now ")) {
        int y, mo, d, h, mi;
        ASSERT_EQ(std::sscanf(line.c_str(), "now %d-%d-%d %d:%d", &y, &mo, &d, &h, &mi), 5);
        now = CivilTime{y, mo, d, h, mi};
      } else if (line.starts_with("list ") || line.starts_with("mlsd ")) {
        pending = line;
      } else if (line.starts_with("=> ")) {
        SCOPED_TRACE(file.filename().string() + ":" + std::to_string(number - 1));
        ASSERT_FALSE(pending.empty());
        const std::string bytes = unescape(pending.substr(5));
        const auto entry = pending[0] == 'm' ? ParseMlsdLine(bytes) : ParseListLine(bytes, now);
        EXPECT_EQ(describe(entry), unescape(line.substr(3)));
        pending.clear();
        ++cases;
      }
    }
  }
  EXPECT_GE(cases, 360u);
}

}  // namespace
}  // namespace inet
