// Splits a server name that may carry a port: "name:port", "192.0.2.1:port", "[v6]:port",
// "[v6]" or a bare IPv6 literal such as "::1" (more than one colon: an address, no port).
// Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

struct ServerAddress {
  std::string host;  // without brackets
  uint16_t port = 0;
};

// The host and the port to connect to: the name's own port when it has one, else
// `defaultPort`. nullopt when the host is empty or a port (the name's or the default) lies
// outside 1..65535, or the name's port is not a plain decimal number.
std::optional<ServerAddress> ParseServerAddress(std::string_view name, int32_t defaultPort);

// True for names that RFC 6761 reserves as never resolving ("invalid" and every name under
// it, any letter case, a trailing dot allowed). Such names fail at once, without a query to
// the name servers.
bool IsNeverResolvedName(std::string_view host);

}  // namespace inet
