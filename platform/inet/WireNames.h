// Names and paths between the API's CP932 bytes and their forms elsewhere: on the wire (CP932
// as it is, or UTF-8 once the server's FEAT lists UTF8, RFC 2640) and on the local file system
// (UTF-8). A name that would not come back unchanged is refused, never altered into another.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inet {

// CP932 bytes to UTF-8; nullopt when the bytes do not decode to characters that encode back
// to the very same bytes (an invalid sequence, or one of the code page's duplicate codes).
std::optional<std::string> AnsiToUtf8(std::string_view ansi);

// UTF-8 to CP932 bytes; nullopt when the text is not valid UTF-8 or holds a character the code
// page has no exact form for.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

class WireNames {
 public:
  void setUtf8(bool utf8) { m_utf8 = utf8; }
  bool utf8() const { return m_utf8; }

  // The form a CP932 name takes in a command; nullopt when it cannot be converted exactly.
  std::optional<std::string> toWire(std::string_view ansi) const;
  // The CP932 form of a name the server sent; nullopt when it has none.
  std::optional<std::string> fromWire(std::string_view wire) const;

 private:
  bool m_utf8 = false;
};

}  // namespace inet
