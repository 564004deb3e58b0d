// Reads the data port out of the replies to PASV (227, RFC 959) and EPSV (229, RFC 2428).
// Pure. Only the port is used: the data connection always goes to the control connection's
// peer, so the address a 227 reply names is returned for information only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace inet {

struct PassiveEndpoint {
  std::array<uint8_t, 4> address{};  // as the server named it (PASV only; zero for EPSV)
  uint16_t port = 0;                 // 1..65535
};

// The first run of six comma-separated numbers 0..255 in a 227 reply's text, with or without
// the customary parentheses ("227 Entering Passive Mode (192,0,2,1,4,1)"). nullopt when there
// is none or the port would be 0.
std::optional<PassiveEndpoint> ParsePasvReply(std::string_view text);

// The port of a 229 reply "229 Entering Extended Passive Mode (|||6446|)": inside the
// parentheses, a delimiter (any printable ASCII other than a digit), two empty fields, the
// port and the delimiter again. nullopt when malformed or the port is outside 1..65535.
std::optional<uint16_t> ParseEpsvReply(std::string_view text);

}  // namespace inet
