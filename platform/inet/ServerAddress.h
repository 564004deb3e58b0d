// Splits a server name that may carry a scheme and a port: "name:port", "192.0.2.1:port",
// "[v6]:port", "[v6]" or a bare IPv6 literal such as "::1" (more than one colon: an address,
// no port), each optionally after "ftp://" (plain), "ftpes://" (explicit TLS, RFC 4217),
// "ftps://" (implicit TLS) or "sftp://" (SFTP over SSH), and before one optional "/". Pure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace inet {

// How the connection is protected: plain FTP, TLS asked for after the greeting (AUTH TLS), or
// TLS from the first byte.
enum class Security { Plain, ExplicitTls, ImplicitTls };

// Which session serves the name: FTP (with its Security), or SFTP over SSH.
enum class Protocol { Ftp, Sftp };

struct ServerAddress {
  std::string host;  // without brackets
  uint16_t port = 0;
  Security security = Security::Plain;  // FTP only
  Protocol protocol = Protocol::Ftp;
};

inline constexpr int32_t kDefaultFtpPort = 21;
inline constexpr int32_t kDefaultImplicitTlsPort = 990;
inline constexpr int32_t kDefaultSshPort = 22;

// The host, the port and the security to connect with: the name's own port when it has one,
// else `defaultPort` (for "ftps://" 990 and for "sftp://" 22, when `defaultPort` is the FTP
// default 21). A scheme is
// read in any letter case. nullopt when the host is empty, a port (the name's or the default)
// lies outside 1..65535, the name's port is not a plain decimal number, the scheme is another,
// or a path follows the server.
std::optional<ServerAddress> ParseServerAddress(std::string_view name, int32_t defaultPort);

// True for names that RFC 6761 reserves as never resolving ("invalid" and every name under
// it, any letter case, a trailing dot allowed). Such names fail at once, without a query to
// the name servers.
bool IsNeverResolvedName(std::string_view host);

}  // namespace inet
