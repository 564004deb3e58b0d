// UTF-16 <-> UTF-8 for names on the wire of servers that speak UTF-8 (RFC 2640). Strict in
// both directions: nothing is replaced, a text that has no exact form fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inet {

// nullopt when `text` holds an unpaired surrogate.
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

// nullopt when `bytes` is not well-formed UTF-8 (overlong forms, surrogates, values above
// U+10FFFF and truncated sequences included).
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);

}  // namespace inet
