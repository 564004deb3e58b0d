#include "platform/inet/WireNames.h"

#include "platform/codepage/CodePage.h"
#include "platform/inet/Utf8.h"

namespace inet {

std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
  const std::u16string text = codepage::FromAnsi(ansi);
  const auto back = codepage::ToAnsiExact(text);
  if (!back || *back != ansi) return std::nullopt;
  return Utf16ToUtf8(text);
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  const auto text = Utf8ToUtf16(utf8);
  if (!text) return std::nullopt;
  return codepage::ToAnsiExact(*text);
}

std::optional<std::string> WireNames::toWire(std::string_view ansi) const {
  if (!m_utf8) return std::string(ansi);
  return AnsiToUtf8(ansi);
}

std::optional<std::string> WireNames::fromWire(std::string_view wire) const {
  if (!m_utf8) return std::string(wire);
  return Utf8ToAnsi(wire);
}

}  // namespace inet
