#include "platform/inet/KnownHosts.h"

#include <algorithm>
#include <optional>

#include "platform/inet/AsciiText.h"
#include "platform/inet/Base64.h"
#include "platform/inet/NamePattern.h"
#include "platform/inet/SshDigests.h"

namespace inet {
namespace {

enum class Marker { None, Revoked };

struct KnownLine {
  Marker marker = Marker::None;
  std::string_view hosts;
  std::string_view type;
  std::string blob;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The next blank-separated field of `line`, taken off its front.
std::string_view takeField(std::string_view& line) {
  size_t start = 0;
  while (start < line.size() && isBlank(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !isBlank(line[end])) ++end;
  const std::string_view field = line.substr(start, end - start);
  line.remove_prefix(end);
  return field;
}

std::optional<KnownLine> parseLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  KnownLine known;
  std::string_view field = takeField(line);
  if (field.empty() || field.front() == '#') return std::nullopt;
  if (field.front() == '@') {
    // Certificates are not checked here: a CA line trusts nothing.
    if (field != "@revoked") return std::nullopt;
    known.marker = Marker::Revoked;
    field = takeField(line);
  }
  known.hosts = field;
  known.type = takeField(line);
  const auto blob = Base64Decode(takeField(line));
  // The old SSH-1 form ("bits exponent modulus") has a number for a type.
  if (known.hosts.empty() || known.type.empty() || !blob || blob->empty() ||
      (known.type.front() >= '0' && known.type.front() <= '9')) {
    return std::nullopt;
  }
  known.blob = *blob;
  return known;
}

// "|1|salt|hash": the base64 HMAC-SHA1 of the name under the salt.
bool hashedMatch(std::string_view field, std::string_view name) {
  field.remove_prefix(3);
  const size_t bar = field.find('|');
  if (bar == std::string_view::npos) return false;
  const auto salt = Base64Decode(field.substr(0, bar));
  const auto hash = Base64Decode(field.substr(bar + 1));
  return salt && hash && !hash->empty() && HmacSha1(*salt, name) == *hash;
}

bool hostsMatch(std::string_view hosts, std::string_view name) {
  if (hosts.substr(0, 3) == "|1|") return hashedMatch(hosts, name);
  bool matched = false;
  while (!hosts.empty()) {
    const size_t comma = hosts.find(',');
    std::string_view pattern = hosts.substr(0, comma);
    hosts.remove_prefix(comma == std::string_view::npos ? hosts.size() : comma + 1);
    const bool negated = !pattern.empty() && pattern.front() == '!';
    if (negated) pattern.remove_prefix(1);
    if (pattern.empty() || !MatchesPattern(pattern, name)) continue;
    if (negated) return false;  // a negated pattern that matches rules the line out
    matched = true;
  }
  return matched;
}

// Calls `visit` with each well-formed line that concerns the server.
template <class Visit>
void forEachLineFor(std::string_view file, std::string_view host, uint16_t port, Visit&& visit) {
  const std::string name = KnownHostsName(host, port);
  while (!file.empty()) {
    const size_t newline = file.find('\n');
    const std::string_view line = file.substr(0, newline);
    file.remove_prefix(newline == std::string_view::npos ? file.size() : newline + 1);
    const auto known = parseLine(line);
    if (known && hostsMatch(known->hosts, name)) visit(*known);
  }
}

}  // namespace

std::string KnownHostsName(std::string_view host, uint16_t port) {
  std::string lower;
  for (char c : host) lower.push_back(LowerAscii(c));
  if (port == 22) return lower;
  return "[" + lower + "]:" + std::to_string(port);
}

HostKeyVerdict CheckHostKey(std::string_view file, std::string_view host, uint16_t port,
                            const HostKey& key) {
  bool known = false, otherKey = false, revoked = false;
  forEachLineFor(file, host, port, [&](const KnownLine& line) {
    const bool same = line.type == key.type && line.blob == key.blob;
    if (line.marker == Marker::Revoked) {
      revoked = revoked || line.blob == key.blob;
    } else if (same) {
      known = true;
    } else if (line.type == key.type) {
      otherKey = true;
    }
  });
  if (revoked) return HostKeyVerdict::Revoked;
  if (known) return HostKeyVerdict::Known;
  return otherKey ? HostKeyVerdict::Changed : HostKeyVerdict::Unknown;
}

std::vector<std::string> KnownKeyTypes(std::string_view file, std::string_view host,
                                       uint16_t port) {
  std::vector<std::string> types;
  forEachLineFor(file, host, port, [&](const KnownLine& line) {
    if (line.marker == Marker::Revoked) return;
    if (std::find(types.begin(), types.end(), line.type) == types.end()) {
      types.emplace_back(line.type);
    }
  });
  return types;
}

std::string KnownHostsLine(std::string_view host, uint16_t port, const HostKey& key) {
  return KnownHostsName(host, port) + " " + key.type + " " + Base64Encode(key.blob);
}

std::string HostKeyFingerprint(const HostKey& key) {
  return "SHA256:" + Base64Encode(Sha256(key.blob), false);
}

}  // namespace inet
