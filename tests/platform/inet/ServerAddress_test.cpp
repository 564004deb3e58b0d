#include "platform/inet/ServerAddress.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(ServerAddress, SchemeAndPortInTheNameTakeThePlaceOfTheDefaults) {
  const struct {
    const char* name;
    int32_t port;
    const char* host;
    uint16_t expectedPort;
    Security security;
  } cases[] = {
      {"ftp.example.jp", 21, "ftp.example.jp", 21, Security::Plain},
      {"host:2121", 0, "host", 2121, Security::Plain},  // the argument is not used
      {"[::1]", 2100, "::1", 2100, Security::Plain},
      {"fe80::1:2121", 21, "fe80::1:2121", 21, Security::Plain},  // a bare IPv6 literal has no port
      {"ftp://ftp.example.jp/", 21, "ftp.example.jp", 21, Security::Plain},
      {"FTPES://[::1]:2121", 21, "::1", 2121, Security::ExplicitTls},
      {"ftpes://h", 21, "h", 21, Security::ExplicitTls},
      {"ftps://h", 21, "h", 990, Security::ImplicitTls},
      {"ftps://h", 2100, "h", 2100, Security::ImplicitTls},
  };
  for (const auto& c : cases) {
    const auto address = ParseServerAddress(c.name, c.port);
    ASSERT_TRUE(address) << c.name;
    EXPECT_EQ(address->host, c.host) << c.name;
    EXPECT_EQ(address->port, c.expectedPort) << c.name;
    EXPECT_EQ(address->security, c.security) << c.name;
  }
}

TEST(ServerAddress, SftpSchemeServesPort22UnlessTheNameOrTheCallerGivesAnother) {
  const struct {
    const char* name;
    int32_t port;
    const char* host;
    uint16_t expectedPort;
  } cases[] = {
      {"sftp://files.example.jp", 21, "files.example.jp", 22},
      {"SFTP://files.example.jp/", 21, "files.example.jp", 22},
      {"sftp://host:2222", 21, "host", 2222},
      {"sftp://[::1]:2022", 21, "::1", 2022},
      {"sftp://[::1]", 21, "::1", 22},
      {"sftp://host", 2200, "host", 2200},  // a port set by the caller stands
  };
  for (const auto& c : cases) {
    const auto address = ParseServerAddress(c.name, c.port);
    ASSERT_TRUE(address) << c.name;
    EXPECT_EQ(address->protocol, Protocol::Sftp) << c.name;
    EXPECT_EQ(address->host, c.host) << c.name;
    EXPECT_EQ(address->port, c.expectedPort) << c.name;
  }
  EXPECT_EQ(ParseServerAddress("ftps://h", 21)->protocol, Protocol::Ftp);
  EXPECT_EQ(ParseServerAddress("h", 21)->protocol, Protocol::Ftp);
}

TEST(ServerAddress, PortsOutsideTheRangeBrokenNamesAndOtherSchemesAreRefused) {
  const std::pair<const char*, int32_t> refused[] = {
      {"host", 0},         {"host", 65536},  {"host:0", 21},  {"host:65536", 21},
      {"host:", 21},       {"host:21a", 21}, {":21", 21},     {"[::1", 21},
      {"[::1]x", 21},      {"[]:21", 21},    {"", 21},        {"ssh://h", 21},
      {"ftp://h/pub", 21}, {"ftps://", 21},  {"sftp://", 21}, {"sftp://h/home", 21},
      {"sftp://h:0", 21}};
  for (const auto& [name, port] : refused) {
    EXPECT_FALSE(ParseServerAddress(name, port)) << name << " " << port;
  }
}

TEST(ServerAddress, OnlyTheReservedInvalidDomainIsNeverResolved) {
  for (const char* never : {"no-such-host.invalid", "A.B.INVALID.", "invalid"}) {
    EXPECT_TRUE(IsNeverResolvedName(never)) << never;
  }
  for (const char* resolved : {"notinvalid", "invalid.example", "127.0.0.1", ""}) {
    EXPECT_FALSE(IsNeverResolvedName(resolved)) << resolved;
  }
}

}  // namespace
}  // namespace inet
