#include "platform/inet/ServerAddress.h"

#include "platform/inet/AsciiText.h"

namespace inet {
namespace {

std::optional<uint16_t> parsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value < 1 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

std::optional<uint16_t> checkedDefault(int32_t port) {
  if (port < 1 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

struct Scheme {
  std::string_view prefix;
  Security security;
  Protocol protocol;
};

constexpr Scheme kSchemes[] = {{"ftp://", Security::Plain, Protocol::Ftp},
                               {"ftpes://", Security::ExplicitTls, Protocol::Ftp},
                               {"ftps://", Security::ImplicitTls, Protocol::Ftp},
                               {"sftp://", Security::Plain, Protocol::Sftp}};

// Takes the scheme off `name` into `address`; false for a scheme that is none of ours.
bool takeScheme(std::string_view& name, ServerAddress* address) {
  const size_t separator = name.find("://");
  if (separator == std::string_view::npos) return true;
  for (const Scheme& scheme : kSchemes) {
    if (EqualsIgnoringAsciiCase(name.substr(0, separator + 3), scheme.prefix)) {
      address->security = scheme.security;
      address->protocol = scheme.protocol;
      name.remove_prefix(separator + 3);
      if (!name.empty() && name.back() == '/') name.remove_suffix(1);
      return name.find('/') == std::string_view::npos;
    }
  }
  return false;
}

}  // namespace

std::optional<ServerAddress> ParseServerAddress(std::string_view name, int32_t defaultPort) {
  ServerAddress address;
  if (!takeScheme(name, &address)) return std::nullopt;
  if (defaultPort == kDefaultFtpPort) {
    if (address.security == Security::ImplicitTls) defaultPort = kDefaultImplicitTlsPort;
    if (address.protocol == Protocol::Sftp) defaultPort = kDefaultSshPort;
  }
  std::optional<uint16_t> port;
  if (!name.empty() && name.front() == '[') {
    const size_t close = name.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    address.host = std::string(name.substr(1, close - 1));
    const std::string_view rest = name.substr(close + 1);
    if (rest.empty()) {
      port = checkedDefault(defaultPort);
    } else if (rest.front() == ':') {
      port = parsePort(rest.substr(1));
    } else {
      return std::nullopt;
    }
  } else if (const size_t colon = name.find(':');
             colon != std::string_view::npos &&
             name.find(':', colon + 1) == std::string_view::npos) {
    address.host = std::string(name.substr(0, colon));
    port = parsePort(name.substr(colon + 1));
  } else {
    address.host = std::string(name);
    port = checkedDefault(defaultPort);
  }
  if (address.host.empty() || !port) return std::nullopt;
  address.port = *port;
  return address;
}

bool IsNeverResolvedName(std::string_view host) {
  if (!host.empty() && host.back() == '.') host.remove_suffix(1);
  constexpr std::string_view kInvalid = "invalid";
  if (host.size() < kInvalid.size()) return false;
  const std::string_view last = host.substr(host.size() - kInvalid.size());
  for (size_t i = 0; i < kInvalid.size(); ++i) {
    const char c = last[i];
    if (LowerAscii(c) != kInvalid[i]) return false;
  }
  return host.size() == kInvalid.size() || host[host.size() - kInvalid.size() - 1] == '.';
}

}  // namespace inet
