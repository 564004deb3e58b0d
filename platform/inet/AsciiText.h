// ASCII character tests for the protocol's own words (reply codes, commands, facts, month
// names). Bytes above 0x7F are never letters or digits here: names in CP932 or UTF-8 pass
// through unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

inline bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string UpperAscii(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

inline bool AllAsciiDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsAsciiDigit(c)) return false;
  }
  return true;
}

// A decimal number of any length that fits in 64 bits, digits only; nullopt otherwise.
inline std::optional<uint64_t> ParseUnsignedDecimal(std::string_view text) {
  if (!AllAsciiDigits(text)) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    const auto digit = static_cast<uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace inet
