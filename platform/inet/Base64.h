// Base64 (RFC 4648) as OpenSSH writes keys, hashed host names and fingerprints. Pure.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace inet {

// `bytes` in base64, padded with "=" unless `pad` is false (fingerprints are written unpadded).
std::string Base64Encode(std::string_view bytes, bool pad = true);

// The bytes of `text`; nullopt for a character outside the alphabet, a length that no encoding
// has, or padding anywhere but at the end. Padding may be left out.
std::optional<std::string> Base64Decode(std::string_view text);

}  // namespace inet
