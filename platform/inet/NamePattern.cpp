#include "platform/inet/NamePattern.h"

#include <vector>

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Splits CP932 bytes into characters: a lead byte takes the byte after it as its trail.
std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> result;
  for (size_t i = 0; i < text.size();) {
    const size_t length =
        isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    result.push_back(text.substr(i, length));
    i += length;
  }
  return result;
}

bool sameCharacter(std::string_view a, std::string_view b) {
  if (a.size() == 1 && b.size() == 1) return LowerAscii(a[0]) == LowerAscii(b[0]);
  return a == b;
}

}  // namespace

bool PatternMatchesAll(const char* pattern) {
  if (pattern == nullptr) return true;
  const std::string_view text(pattern);
  return text.empty() || text == "*" || text == "*.*";
}

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  const auto p = characters(pattern);
  const auto n = characters(name);
  // Greedy matching with backtracking to the last "*": linear in practice, never exponential.
  size_t pi = 0;
  size_t ni = 0;
  size_t starPattern = std::string_view::npos;
  size_t starName = 0;
  while (ni < n.size()) {
    if (pi < p.size() && p[pi] == "*") {
      starPattern = pi++;
      starName = ni;
    } else if (pi < p.size() && (p[pi] == "?" || sameCharacter(p[pi], n[ni]))) {
      ++pi;
      ++ni;
    } else if (starPattern != std::string_view::npos) {
      pi = starPattern + 1;
      ni = ++starName;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == "*") ++pi;
  return pi == p.size();
}

}  // namespace inet
