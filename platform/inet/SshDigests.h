// The two digests SSH's host checks need, over OpenSSL: HMAC-SHA1 (OpenSSH's hashed host names
// in known_hosts) and SHA-256 (key fingerprints).
#pragma once

#include <string>
#include <string_view>

namespace inet {

// The 20-byte HMAC-SHA1 of `data` under `key`.
std::string HmacSha1(std::string_view key, std::string_view data);
// The 32-byte SHA-256 of `data`.
std::string Sha256(std::string_view data);

}  // namespace inet
