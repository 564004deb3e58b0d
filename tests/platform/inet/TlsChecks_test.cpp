// The checks of one TLS connection, below the engine: what the server's certificate must name
// (an address without its zone, whole wildcard labels only) and which TLS 1.2 suites are taken,
// against the scripted server in TLS from its first byte. The host checked is given apart from
// where the socket connects, so names that resolve nowhere can be checked on loopback.
#include <gtest/gtest.h>

#include "platform/inet/Tls.h"
#include "tests/support/common/FtpServers.h"

namespace inet {
namespace {

using testsupport::TestCertificate;

// The handshake with a scripted server showing `certificate`, checked against `host`.
Status handshake(const std::string& certificate, const std::string& host,
                 const std::vector<std::string>& serverArguments = {}) {
  auto server = testsupport::StartScriptedFtpd(
      "tls-implicit", TestCertificate(certificate + ".pem"), serverArguments);
  if (!server) {
    ADD_FAILURE() << testsupport::LastStartFailure();
    return Status::failure(kErrorInternetCannotConnect);
  }
  asio::io_context io;
  asio::ip::tcp::socket socket(io);
  std::error_code ec;
  socket.connect({asio::ip::make_address("127.0.0.1"), server->port()}, ec);
  EXPECT_FALSE(ec) << ec.message();
  std::unique_ptr<TlsContext> context;
  Status status = TlsContext::create(TestCertificate("ca.crt"), false, &context);
  if (!status.ok()) return status;
  std::unique_ptr<TlsStream> stream;
  return TlsStream::start(io, socket, *context, host,
                          std::chrono::steady_clock::now() + std::chrono::seconds(5), &stream);
}

// The platform's code of a refusal, 0 for a completed handshake.
uint32_t codeOf(const Status& status) {
  return status.ok() ? 0 : static_cast<uint32_t>(status.reply.code);
}

TEST(TlsChecks, TheCertificateMustNameTheAddressWithoutItsZoneOrTheNameByWholeLabels) {
  const std::tuple<const char*, const char*, uint32_t> cases[] = {
      // An IPv6 zone names our interface, not the host: the address alone is checked, and an
      // address the certificate does not hold is refused with the zone as without it.
      {"server", "::1%1", 0},
      {"server", "::1%lo", 0},
      {"othername", "::1", kErrorInternetSecCertCnInvalid},
      {"othername", "::1%1", kErrorInternetSecCertCnInvalid},
      {"othername", "::1%lo", kErrorInternetSecCertCnInvalid},
      // "f*.example.jp" stands for nothing; "*.example.org" for one whole label.
      {"wildcard", "foo.example.jp", kErrorInternetSecCertCnInvalid},
      {"wildcard", "f.example.jp", kErrorInternetSecCertCnInvalid},
      {"wildcard", "foo.example.org", 0},
      {"wildcard", "a.foo.example.org", kErrorInternetSecCertCnInvalid}};
  for (const auto& [certificate, host, code] : cases) {
    SCOPED_TRACE(std::string(certificate) + " at " + host);
    EXPECT_EQ(codeOf(handshake(certificate, host)), code);
  }
}

TEST(TlsChecks, AtTls12OnlyForwardSecretAeadSuitesAreTaken) {
  const std::pair<const char*, uint32_t> cases[] = {
      {"ECDHE-ECDSA-AES128-GCM-SHA256", 0},
      {"ECDHE-ECDSA-CHACHA20-POLY1305", 0},
      {"ECDHE-ECDSA-AES128-SHA", kErrorInternetSecurityChannelError},  // CBC
      {"ECDHE-ECDSA-AES256-SHA384", kErrorInternetSecurityChannelError}};
  for (const auto& [suite, code] : cases) {
    SCOPED_TRACE(suite);
    EXPECT_EQ(codeOf(handshake("server", "localhost", {"--tls12-ciphers", suite})), code);
  }
}

}  // namespace
}  // namespace inet
