#include "platform/inet/PassiveReply.h"

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

// Reads a decimal number of at most `maxDigits` digits at `pos`; advances `pos`.
std::optional<uint32_t> readNumber(std::string_view text, size_t& pos, size_t maxDigits) {
  const size_t start = pos;
  uint32_t value = 0;
  while (pos < text.size() && IsAsciiDigit(text[pos]) && pos - start < maxDigits) {
    value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (pos == start || (pos < text.size() && IsAsciiDigit(text[pos]))) return std::nullopt;
  return value;
}

// Six numbers "a,b,c,d,e,f" starting at `pos`, each 0..255.
std::optional<std::array<uint8_t, 6>> readSixNumbers(std::string_view text, size_t pos) {
  std::array<uint8_t, 6> numbers{};
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != ',') return std::nullopt;
      ++pos;
    }
    const auto value = readNumber(text, pos, 3);
    if (!value || *value > 255) return std::nullopt;
    numbers[i] = static_cast<uint8_t>(*value);
  }
  return numbers;
}

}  // namespace

std::optional<PassiveEndpoint> ParsePasvReply(std::string_view text) {
  // Skip the reply code itself so "227" is not read as the first number.
  for (size_t pos = text.size() >= 3 ? 3 : 0; pos < text.size(); ++pos) {
    if (!IsAsciiDigit(text[pos]) || (pos > 0 && IsAsciiDigit(text[pos - 1]))) continue;
    const auto numbers = readSixNumbers(text, pos);
    if (!numbers) continue;
    PassiveEndpoint endpoint;
    for (size_t i = 0; i < 4; ++i) endpoint.address[i] = (*numbers)[i];
    endpoint.port = static_cast<uint16_t>((*numbers)[4] * 256 + (*numbers)[5]);
    if (endpoint.port == 0) return std::nullopt;
    return endpoint;
  }
  return std::nullopt;
}

std::optional<uint16_t> ParseEpsvReply(std::string_view text) {
  const size_t open = text.find('(');
  if (open == std::string_view::npos || open + 1 >= text.size()) return std::nullopt;
  size_t pos = open + 1;
  const char delimiter = text[pos];
  if (delimiter < 33 || delimiter > 126 || IsAsciiDigit(delimiter)) return std::nullopt;
  // "(|||port|)": the network-protocol and address fields are empty.
  for (int i = 0; i < 3; ++i, ++pos) {
    if (pos >= text.size() || text[pos] != delimiter) return std::nullopt;
  }
  const auto port = readNumber(text, pos, 5);
  if (!port || *port == 0 || *port > 65535) return std::nullopt;
  if (pos + 1 >= text.size() || text[pos] != delimiter || text[pos + 1] != ')') {
    return std::nullopt;
  }
  return static_cast<uint16_t>(*port);
}

}  // namespace inet
