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
      {"ftp.example.jp:2121", 21, "ftp.example.jp", 2121, Security::Plain},
      {"[::1]:2121", 21, "::1", 2121, Security::Plain},
      {"[::1]", 2100, "::1", 2100, Security::Plain},
      {"::1", 21, "::1", 21, Security::Plain},  // a bare IPv6 literal has no port
      {"fe80::1:2121", 21, "fe80::1:2121", 21, Security::Plain},
      {"host:2121", 0, "host", 2121, Security::Plain},  // the argument is not used
      {"ftp://ftp.example.jp/", 21, "ftp.example.jp", 21, Security::Plain},
      {"FTPES://ftp.example.jp", 21, "ftp.example.jp", 21, Security::ExplicitTls},
      {"ftpes://[::1]:2121", 21, "::1", 2121, Security::ExplicitTls},
      {"ftps://ftp.example.jp", 21, "ftp.example.jp", 990, Security::ImplicitTls},
      {"ftps://ftp.example.jp", 2100, "ftp.example.jp", 2100, Security::ImplicitTls},
      {"ftps://192.0.2.1:2990", 21, "192.0.2.1", 2990, Security::ImplicitTls},
  };
  for (const auto& c : cases) {
    const auto address = ParseServerAddress(c.name, c.port);
    ASSERT_TRUE(address) << c.name;
    EXPECT_EQ(address->host, c.host) << c.name;
    EXPECT_EQ(address->port, c.expectedPort) << c.name;
    EXPECT_EQ(address->security, c.security) << c.name;
  }
}

TEST(ServerAddress, PortsOutsideTheRangeBrokenNamesAndOtherSchemesAreRefused) {
  for (const auto& [name, port] : {std::pair{"host", 0},
                                   {"host", 65536},
                                   {"host", -1},
                                   {"host:0", 21},
                                   {"host:65536", 21},
                                   {"host:", 21},
                                   {"host:21a", 21},
                                   {":21", 21},
                                   {"[::1", 21},
                                   {"[::1]x", 21},
                                   {"[]:21", 21},
                                   {"", 21},
                                   {"sftp://ftp.example.jp", 21},
                                   {"ftp://ftp.example.jp/pub", 21},
                                   {"ftps://", 21}}) {
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
