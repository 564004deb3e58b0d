#include "platform/inet/ServerAddress.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

void expectAddress(std::string_view name, int32_t port, const std::string& host,
                   uint16_t expectedPort, Security security = Security::Plain) {
  const auto address = ParseServerAddress(name, port);
  ASSERT_TRUE(address) << name;
  EXPECT_EQ(address->host, host) << name;
  EXPECT_EQ(address->port, expectedPort) << name;
  EXPECT_EQ(address->security, security) << name;
}

TEST(ServerAddress, PortInTheNameTakesThePlaceOfTheArgument) {
  expectAddress("ftp.example.jp", 21, "ftp.example.jp", 21);
  expectAddress("ftp.example.jp:2121", 21, "ftp.example.jp", 2121);
  expectAddress("192.0.2.1:990", 21, "192.0.2.1", 990);
  expectAddress("[::1]:2121", 21, "::1", 2121);
  expectAddress("[::1]", 2100, "::1", 2100);
}

TEST(ServerAddress, SchemeChoosesTheSecurityAndImplicitTlsItsPort) {
  expectAddress("ftp://ftp.example.jp/", 21, "ftp.example.jp", 21);
  expectAddress("FTPES://ftp.example.jp", 21, "ftp.example.jp", 21, Security::ExplicitTls);
  expectAddress("ftpes://[::1]:2121", 21, "::1", 2121, Security::ExplicitTls);
  expectAddress("ftps://ftp.example.jp", 21, "ftp.example.jp", 990, Security::ImplicitTls);
  expectAddress("ftps://ftp.example.jp", 2100, "ftp.example.jp", 2100, Security::ImplicitTls);
  expectAddress("ftps://192.0.2.1:2990", 21, "192.0.2.1", 2990, Security::ImplicitTls);
  EXPECT_FALSE(ParseServerAddress("sftp://ftp.example.jp", 21));
  EXPECT_FALSE(ParseServerAddress("ftp://ftp.example.jp/pub", 21));
  EXPECT_FALSE(ParseServerAddress("ftps://", 21));
}

TEST(ServerAddress, BareIpv6LiteralIsAnAddressWithoutPort) {
  expectAddress("::1", 21, "::1", 21);
  expectAddress("fe80::1:2121", 21, "fe80::1:2121", 21);
}

TEST(ServerAddress, PortsOutsideTheRangeAndBrokenNamesAreRefused) {
  EXPECT_FALSE(ParseServerAddress("host", 0));
  EXPECT_FALSE(ParseServerAddress("host", 65536));
  EXPECT_FALSE(ParseServerAddress("host", -1));
  EXPECT_FALSE(ParseServerAddress("host:0", 21));
  EXPECT_FALSE(ParseServerAddress("host:65536", 21));
  EXPECT_FALSE(ParseServerAddress("host:", 21));
  EXPECT_FALSE(ParseServerAddress("host:21a", 21));
  EXPECT_FALSE(ParseServerAddress(":21", 21));
  EXPECT_FALSE(ParseServerAddress("[::1", 21));
  EXPECT_FALSE(ParseServerAddress("[::1]x", 21));
  EXPECT_FALSE(ParseServerAddress("[]:21", 21));
  EXPECT_FALSE(ParseServerAddress("", 21));
  // A port in the name is used even when the argument is out of range.
  expectAddress("host:2121", 0, "host", 2121);
}

}  // namespace
}  // namespace inet

TEST(ServerAddress, OnlyTheReservedInvalidDomainIsNeverResolved) {
  EXPECT_TRUE(inet::IsNeverResolvedName("no-such-host.invalid"));
  EXPECT_TRUE(inet::IsNeverResolvedName("A.B.INVALID."));
  EXPECT_TRUE(inet::IsNeverResolvedName("invalid"));
  EXPECT_FALSE(inet::IsNeverResolvedName("notinvalid"));
  EXPECT_FALSE(inet::IsNeverResolvedName("invalid.example"));
  EXPECT_FALSE(inet::IsNeverResolvedName("127.0.0.1"));
  EXPECT_FALSE(inet::IsNeverResolvedName(""));
}
