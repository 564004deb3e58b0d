// Reads what the server's replies to FEAT, PWD and SIZE tell. Pure: the session only feeds
// them the replies it received.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/inet/ReplyReader.h"

namespace inet {

// What the FEAT reply listed (RFC 2389).
struct ServerFeatures {
  bool answered = false;  // FEAT gave 211
  bool mlsd = false;      // MLST or MLSD: RFC 3659's MLST feature covers MLSD
  bool utf8 = false;
  bool epsv = false;
  bool size = false;
};

// The reply's first line, without its line end, for messages that quote the server.
std::string FirstLine(const Reply& reply);

// Parses the lines of a 211 reply to FEAT; any other reply lists nothing.
ServerFeatures ParseFeatures(const Reply& reply);

// The path of a 257 reply: the quoted text, doubled quotes inside read as one (RFC 959
// appendix II); a reply without quotes gives its first word. nullopt for any other reply,
// an unclosed quote or no text.
std::optional<std::string> ParsePwdReply(const Reply& reply);

// The size of a 213 reply to SIZE (RFC 3659): one decimal number that fits in 64 bits.
// nullopt for any other reply or text.
std::optional<uint64_t> ParseSizeReply(const Reply& reply);

}  // namespace inet
