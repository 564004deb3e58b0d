// The system's ANSI code page (code page 932): conversion of whole texts between UTF-16 and
// CP932 bytes, and the per-character signed 16-bit ANSI code that the password scrambling shifts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace codepage {

// UTF-16 to CP932 bytes, as the platform's default conversion does: characters that the code
// page maps only by best fit take that mapping (U+00A5 becomes 0x5C), characters it cannot map
// at all become "?" (one per UTF-16 code unit, so a surrogate pair gives "??"). An embedded
// U+0000 gives a 0x00 byte. Never fails.
std::string ToAnsi(std::u16string_view text);

// Like ToAnsi, but succeeds only when every character is a character of the code page that
// comes back unchanged from decoding; nullopt otherwise (best-fit characters included).
std::optional<std::string> ToAnsiExact(std::u16string_view text);

// CP932 bytes to UTF-16, as the platform decodes them: the lone bytes 0x80, 0xA0, 0xFD, 0xFE
// and 0xFF decode to U+0080, U+F8F0, U+F8F1, U+F8F2 and U+F8F3; a byte sequence that is no
// character becomes U+30FB ("・"), the platform's default for undefined double-byte codes: a
// lead byte and a trail byte that form no defined pair give one U+30FB; a lead byte followed by
// a byte outside the trail range (or by the end) gives U+30FB for the lead byte alone, and the
// next byte is decoded on its own. A 0x00 byte gives U+0000. Never fails.
std::u16string FromAnsi(std::string_view bytes);

// The character's code in the code page as a signed 16-bit number: a single-byte character
// gives its byte value 0..255; a double-byte character gives lead*256+trail read as signed
// (negative, since every lead byte is 0x80 or above). nullopt when the character is not a
// character of the code page or is one only by best fit.
std::optional<int16_t> AnsiCode(char16_t ch);

// The character whose code is `code`, the inverse of AnsiCode: 0..255 a single-byte
// character (nullopt when the byte is a lead byte or undefined), negative values a double-byte
// character with the high byte as lead and the low byte as trail (nullopt when the pair is not
// defined). Codes of 256 and above are no character.
std::optional<char16_t> CharFromAnsiCode(int32_t code);

}  // namespace codepage
