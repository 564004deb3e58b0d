// Helpers shared by the engine's tests: an engine with short deadlines, a root handle, and
// small readers for the last response and directory listings.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/inet/FtpEngine.h"
#include "platform/inet/InternetApi.h"

namespace inet::testing {

// Deadlines short enough for faults to show within a test, long enough for loopback.
inline EngineOptions ShortTimeouts() {
  EngineOptions options;
  options.connectTimeout = std::chrono::milliseconds(3000);
  options.replyTimeout = std::chrono::milliseconds(400);
  options.dataIdleTimeout = std::chrono::milliseconds(1000);
  options.quitTimeout = std::chrono::milliseconds(300);
  return options;
}

struct LastResponse {
  uint32_t code = 0;
  std::string text;
};

inline LastResponse ReadLastResponse(InternetApi& api) {
  LastResponse last;
  char buffer[4096] = {};
  uint32_t length = sizeof buffer;
  EXPECT_TRUE(api.InternetGetLastResponseInfoA(&last.code, buffer, &length).ok);
  last.text.assign(buffer, length);
  return last;
}

struct Listed {
  std::string name;
  uint64_t size = 0;
};

// Every entry of a find first / find next walk; `error` receives the code that ended it.
inline std::vector<Listed> ListAll(InternetApi& api, Handle connection, const char* pattern,
                                   uint32_t* error) {
  std::vector<Listed> entries;
  FindData data;
  const HandleResult first = api.FtpFindFirstFileA(connection, pattern, &data, 0, 0);
  *error = first.error;
  if (first.handle == 0) return entries;
  for (;;) {
    entries.push_back({data.cFileName, (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow});
    data = FindData{};
    const BoolResult next = api.InternetFindNextFileA(first.handle, &data);
    if (!next.ok) {
      *error = next.error;
      break;
    }
  }
  EXPECT_TRUE(api.InternetCloseHandle(first.handle).ok);
  return entries;
}

inline bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

inline size_t CountPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
}

}  // namespace inet::testing
