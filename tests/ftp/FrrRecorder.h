// Records the FTPFrr events a McWinFTP raises, for the tests of the session component.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"

struct FrrEvent {
  int32_t ErrNumber = 0;
  std::u16string ErrString;
  friend bool operator==(const FrrEvent&, const FrrEvent&) = default;
};

inline void PrintTo(const FrrEvent& e, std::ostream* os) {
  *os << "FTPFrr(" << e.ErrNumber << ", " << ::testing::PrintToString(e.ErrString) << ")";
}

// Attaches itself to `ftp` as its FTPFrr handler.
struct FrrRecorder {
  explicit FrrRecorder(McWinFTP& ftp) {
    ftp.OnFTPFrr([this](int32_t n, const std::u16string& s) { events.push_back({n, s}); });
  }
  std::vector<FrrEvent> events;
};

inline constexpr char16_t kFallbackText[] = u"エラーが発生しています。";
inline constexpr char16_t kNotResolvedText[] = u"サーバー名を解決できませんでした。";
